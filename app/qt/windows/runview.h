// The main window's labels, lists and key map as a view over the runs: it shows what the
// runner and its live analysis report, and nothing else writes the results.
#ifndef TUNEDECK_QT_WINDOWS_RUNVIEW_H
#define TUNEDECK_QT_WINDOWS_RUNVIEW_H

#include "core/reports/keydisplay.h"
#include "core/reports/runtexts.h"
#include "qt/run/runner.h"
#include "qt/windows/zonsections.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

class QStatusBar;

namespace tunedeck {

class FrmHaStr;
class KeyMapWidget;

class RunView : public QObject {
    Q_OBJECT
public:
    RunView(const ResultsSection &results, const InfoSection &info, KeyMapWidget *keyMap, QStatusBar *status,
            QObject *parent);

    // Shows everything runner and its live analysis report from now on.
    void follow(Runner &runner);
    void setChordWindow(FrmHaStr *chords) { chords_ = chords; }
    // What the input list says when "3- Listen" has no port to listen to.
    void setNoInputText(std::function<QString()> text) { noInputText_ = std::move(text); }

    // How the key map and the "Profile analysis" line spell keys; the window's own key labels keep
    // their own names whatever it is.
    void setNotation(Notation notation);
    Notation notation() const { return notation_; }

    void showKeyCode(std::int32_t code);
    std::int16_t keyAccidental() const { return keyDisplay_.accidental(); }
    void showTexts(const RunTexts &texts);
    // A run opened its file: the status bar's words on it, and its track count or why it
    // was refused.
    void showOpenResult(const QString &path, const OpenFile &file, const OpenResult &opened);
    // A file was chosen and checked: the status bar says why one is refused, and the track
    // count shown is the chosen file's (none for a refused one). Errors wait for a run.
    void showChosenFile(const QString &path, const OpenFile &file, const OpenResult &opened);

private:
    void showNotice(RunNotice notice, const QString &detail);
    void showAnswer(const TonalyteAnswer &key);
    void clearKeyDisplay();
    void showProfileAnalysis(const profile::ProfileAnalysis &analysis, const SpelledNames &names);
    void showChord(const ShownChord &chord);
    // The line's key in every notation, so that a change of notation shows it at once.
    void showProfileLine(const std::function<std::string(Notation)> &key);
    void showFastRun(const FileAnalysis &analysis);
    void showLeftOut(int transposed, int noteZero);
    void showOpenDetail(const QString &path, const OpenFile &file, const OpenResult &opened);
    void showFileCounts(const OpenFile &file);

    ResultsSection results_;
    InfoSection info_;
    KeyMapWidget *keyMap_;
    QStatusBar *status_;
    Runner *runner_ = nullptr;
    KeyDisplay keyDisplay_;
    QPointer<FrmHaStr> chords_;
    std::function<QString()> noInputText_;
    QString counts_; // the track count last shown of a file
    Notation notation_ = Notation::Standard;
    std::array<QString, 4> profileKeys_; // by Notation
};

} // namespace tunedeck

#endif
