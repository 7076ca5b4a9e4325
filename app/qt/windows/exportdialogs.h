// The File menu's exports, each asking where to write and saying in the status bar how it
// went: the key map as a picture, the chosen file rendered as a play would sound it, and a
// score with its analysis.
#ifndef TUNEDECK_QT_WINDOWS_EXPORTDIALOGS_H
#define TUNEDECK_QT_WINDOWS_EXPORTDIALOGS_H

#include <QString>

#include <cstdint>
#include <string>
#include <optional>
#include <string>

class QLabel;
class QStatusBar;
class QWidget;

namespace tunedeck {

class AudioExport;
class KeyMapWidget;
struct AnalysisChoices;
struct FileAnalysis;

void exportKeyMap(QWidget *parent, const KeyMapWidget &map, QStatusBar *status);

// Text written whole or not at all: a failed write leaves a file that was there as it was.
// Empty when written, else why not.
QString saveTextFile(const QString &path, const std::string &text);
// The last fast detection of a score written into that score (null: none yet): asked where,
// <name>.musicxml beside it by default; the score itself is never replaced.
void exportScoreWithAnalysis(QWidget *parent, const FileAnalysis *analysis, const QString &scorePath,
                             const AnalysisChoices &choices, QStatusBar *status);
// The last fast detection's RomanText, offered as `name`.rntxt; empty: none to save yet.
void exportRomanText(QWidget *parent, const std::string &document, const QString &name, QStatusBar *status);

// Where a render of lengthMs of midiPath goes, the limit it keeps, and whether it is
// normalised: past the limit the user is asked first, then for the file, in a dialog that
// offers normalising (checked as normalise says). Nothing when the user declined either.
struct AudioTarget {
    QString path;
    std::int64_t maxMs = 0;
    bool normalise = true;
};
std::optional<AudioTarget> askAudioTarget(QWidget *parent, std::int64_t lengthMs, const QString &midiPath,
                                          bool normalise);

// The progress of the render of wavPath that audio has started, with a button that cancels
// it; at its end the status bar says how it went, and errorLabel why it failed.
void followExport(QWidget *parent, AudioExport &audio, const QString &wavPath, QStatusBar *status, QLabel *errorLabel);

} // namespace tunedeck

#endif
