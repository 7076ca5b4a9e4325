// The choices Tunedeck remembers between runs, read from and written to QSettings (the
// organisation and application names main() sets). A value never stored stays empty, so
// the window keeps its own default for it.
#ifndef TUNEDECK_QT_WINDOWS_SETTINGS_H
#define TUNEDECK_QT_WINDOWS_SETTINGS_H

#include "core/base/keynames.h"
#include "core/reports/keytimingreport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QSettings;

namespace tunedeck {

struct WindowChoices {
    std::optional<bool> allTracks;
    std::optional<int> track; // position in the track list: "Track 01" is 0
    std::optional<bool> moreSensitive;
    std::optional<int> meter; // position in Meters
    std::optional<bool> musicBars; // the analyses' bars the music's (else the meter's)
    std::optional<KeyCountChoice> keyCount;
    std::optional<bool> splitFormat0; // File > Read format 0 files
    std::optional<bool> playRepeats;  // File > Play repeats: a score's repeats unfolded
    QString lastFolder;               // where the file dialog starts
    QStringList recentFiles;          // newest first
    QByteArray geometry;              // QWidget::saveGeometry
    QByteArray docks;                 // QMainWindow::saveState: where the docks are, their sizes
    // The mix: tempo and transposition, the synthesizer's volume, channels muted and soloed
    // (bit n: channel n + 1).
    std::optional<int> tempoPercent;
    std::optional<int> transpose;
    std::optional<int> volume;
    std::optional<std::uint16_t> mutedChannels;
    std::optional<std::uint16_t> soloChannels;
    std::optional<Notation> notation; // how the views name keys
    std::optional<bool> romanNumerals; // the piano roll's chords with their Roman numerals
    std::optional<bool> normaliseAudio; // the audio export's "Normalise" choice
    // The MIDI port choices are PortSettings (portchoices.h), under "ports/".
};

// The soundfont last given with --soundfont (or TUNEDECK_SOUNDFONT): used when a later
// start names none.
struct SoundChoices {
    QString soundFont;
};

WindowChoices readWindowChoices(QSettings &settings);
void writeWindowChoices(QSettings &settings, const WindowChoices &choices);
SoundChoices readSoundChoices(QSettings &settings);
void writeSoundChoices(QSettings &settings, const SoundChoices &choices);
// --reset-settings: everything above is forgotten.
void forgetChoices(QSettings &settings);

} // namespace tunedeck

#endif
