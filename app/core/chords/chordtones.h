// What a segment's notes say of the chord found there: how much of them are its tones, and
// whether a major or minor chord is only its root and fifth.
#ifndef TUNEDECK_CORE_CHORDS_CHORDTONES_H
#define TUNEDECK_CORE_CHORDS_CHORDTONES_H

#include "core/chords/chordframes.h"
#include "core/harmony/chord.h"

#include <array>
#include <cstddef>
#include <vector>

namespace tunedeck::chords {

// How long each pitch class sounded over frames [from, to).
std::array<double, 12> soundingOver(const std::vector<FrameFeatures> &frames, std::size_t from, std::size_t to);

// The share of that time on the chord's tones (0 for no chord or nothing sounding).
double toneShare(const harmony::Chord &chord, const std::array<double, 12> &sounding);

// How long the chord's least sounding tone sounds, against span (at most 1; 0 for no chord).
double coverage(const harmony::Chord &chord, const std::array<double, 12> &sounding, double span);

// A major or minor chord whose third, major or minor, never sounds and whose root and fifth
// hold at least share of the sounding time, as a power chord in the same inversion; any other
// chord as it is. The model guesses such a chord's third from the key; the notes do not say it.
harmony::Chord powerChord(const harmony::Chord &chord, const std::array<double, 12> &sounding, double share);

} // namespace tunedeck::chords

#endif
