// The main window: its sections, menus and shortcuts, and the start-up, close and unload
// sequences. What runs lives in the Runner, where its notes go in the PortRouting, the
// audio export in the AudioExport; what a run shows is the RunView's. The window starts runs
// from its controls and lets every control follow the run's state.
#ifndef TUNEDECK_QT_WINDOWS_FRMZON_H
#define TUNEDECK_QT_WINDOWS_FRMZON_H

#include "qt/run/librarycheck.h"
#include "qt/run/runner.h"
#include "qt/windows/filemenu.h"
#include "qt/windows/frmabout.h"
#include "qt/windows/frmhastr.h"
#include "qt/windows/frmreadme.h"
#include "qt/windows/recentfiles.h"
#include "qt/windows/runview.h"
#include "qt/windows/settings.h"
#include "qt/windows/zonsections.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QDockWidget;

namespace tunedeck {

class AudioExport;
class KeyMapWidget;
class ChordListPanel;
class MixPanel;
class PianoRollPanel;
class PlayListOutput;
class PortChoices;
class PortRouting;
class TonalyteEngine;

class FrmZon : public QMainWindow {
    Q_OBJECT
public:
    // output may be null: nothing plays. The runs keep clock's time (tests drive their own).
    FrmZon(TonalyteEngine &library, PlayListOutput *output, RunClock &clock = systemClock(), QWidget *parent = nullptr);
    ~FrmZon() override;

    // Start-up, before the window is shown. False when the library is missing or of another
    // version: the version message has been shown (and written to stderr), and the program
    // must end without showing the window. Unattended runs leave out the modal box.
    bool Form_Initialize(bool messageBox = true);

    // Browse without the dialog: a file named on the command line, dropped or recent. It is
    // checked at once: a refused file says why in the status bar and stays out of the
    // recent files.
    void selectMidiFile(const QString &path);
    const QString &midiFilePath() const { return midiFilePath_; }

    // The user's choices as a run reads them.
    AnalysisChoices runChoices() const;
    Runner &runner() { return *runner_; }
    RunView &view() { return *view_; }

    FrmAbout *frmAbout() const { return frmAbout_; }
    FrmReadMe *frmReadMe() const { return frmReadMe_; }
    FrmHaStr *frmHaStr() const { return frmHaStr_; }
    KeyMapWidget *keyMap() const { return keyMap_; }
    PianoRollPanel *pianoRoll() const { return pianoRoll_; }
    MixPanel *mix() const { return mix_; }
    ChordListPanel *chordList() const { return chordList_; }
    const FileMenu &fileMenu() const { return file_; }
    PortChoices &portChoices() const { return *ports_; }

    // The window's size on a screen of that much room, as it starts: its controls in view
    // where they fit, the docks beside them.
    void fitTo(const QSize &available);

    // The folder the file dialog starts in when no file was chosen yet.
    static QString examplesFolder();

    // The choices to remember, and their restoring (after Form_Initialize, which sets the
    // defaults); what was never stored keeps the window's default.
    WindowChoices choices() const;
    void applyChoices(const WindowChoices &choices);
    const RecentFiles &recentFiles() const { return recent_; }

public slots:
    void showAbout();
    void showReadMe();
    void showSoundOff(const QString &reason);

protected:
    void closeEvent(QCloseEvent *event) override;
    // Dropped MIDI files: the first one is selected, as if browsed.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool event(QEvent *event) override;

private:
    void buildWindow();
    void wire();
    // The File menu, the keyboard shortcuts and the remembered files (frmzondesktop.cpp).
    void wireDesktop();
    void buildChordDock();
    void exportChords();
    void refreshRecentMenu();
    // Every control follows the run's state.
    void updateState(RunState state);
    // What the run starting now leaves out, where its results show.
    void showMixNote(const QString &note);
    // Why no MIDI input port is listed, if so, where the whole reason fits.
    void showUnlistedInputs();
    void CmdBrow_Click();
    void CmdFastDetect_Click();
    void exportAudio();
    void LblSignat_DblClick();
    void Form_Unload();

    LibraryCheck library_;
    PortRouting *routing_ = nullptr;
    Runner *runner_ = nullptr;
    AudioExport *audio_ = nullptr;
    RunView *view_ = nullptr;
    QString midiFilePath_;
    QString lastBrowsed_;
    bool closeAfterRun_ = false;
    bool normaliseAudio_ = true; // the audio export's last choice
    // The last fast detection, its file and choices, for the score export.
    std::shared_ptr<const FileAnalysis> lastFast_;
    QString lastFastPath_;
    AnalysisChoices lastFastChoices_;
    std::string romanText_;      // the last fast detection's, for its export; empty when none

    QPointer<FrmAbout> frmAbout_;
    QPointer<FrmReadMe> frmReadMe_;
    QPointer<FrmHaStr> frmHaStr_;

    MenuSection menu_;
    FileMenu file_;
    RecentFiles recent_;
    InputSection input_;
    ModeSection mode_;
    ResultsSection results_;
    InfoSection info_;
    PortChoices *ports_ = nullptr;
    QLabel *soundOffLabel = nullptr;
    QLabel *mixStatus_ = nullptr; // the channels the shown run left out, while it left any
    RunState lastState_ = RunState::Idle;
    QWidget *central_ = nullptr; // the sections, inside a scroll area
    ResultsRow *resultsRow_ = nullptr;
    KeyMapWidget *keyMap_ = nullptr;
    QDockWidget *pianoRollDock_ = nullptr;
    PianoRollPanel *pianoRoll_ = nullptr;
    QDockWidget *mixDock_ = nullptr;
    MixPanel *mix_ = nullptr;
    QDockWidget *chordDock_ = nullptr;
    ChordListPanel *chordList_ = nullptr;
};

} // namespace tunedeck

#endif
