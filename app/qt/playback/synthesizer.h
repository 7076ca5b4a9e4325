// The built-in General MIDI synthesizer (FluidSynth) that plays the default output.
#ifndef TUNEDECK_QT_PLAYBACK_SYNTHESIZER_H
#define TUNEDECK_QT_PLAYBACK_SYNTHESIZER_H

#include "core/playback/midisink.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace tunedeck {

struct SynthesizerStart {
    std::shared_ptr<MidiSink> sink; // never null: a silent sink when sound could not start
    QString offReason;              // empty when the synthesizer plays through an audio output
};

// Creates the synthesizer, loads a soundfont (soundFont if not empty, else the system's
// General MIDI soundfont) and opens the default audio output.
SynthesizerStart startSynthesizer(const QString &soundFont);

// The soundfont startSynthesizer loads when none is named; empty when none is installed.
QString defaultSoundFont();

// From now on FluidSynth's messages go to synthesizerDiagnostics(), not to stderr.
void routeSynthesizerLog();

// What FluidSynth and the audio library reported, oldest first (the most recent few hundred).
QStringList synthesizerDiagnostics();

} // namespace tunedeck

#endif
