// The chord of a window, and what it says about the key: a window's pitch-class durations
// matched against triads and seventh chords on every root, and a table of how likely each
// chord is relative to the tonic in a major and a minor key (fitted on the corpus' annotated
// local keys, fittedchords.h). A V7 or a vii°7 says more about the key than the pitch classes
// of the window counted alone.
#ifndef TUNEDECK_CORE_PROFILE_CHORDS_H
#define TUNEDECK_CORE_PROFILE_CHORDS_H

#include "core/profile/keyhmm.h"
#include "core/profile/keyworkspace.h"

#include <array>
#include <vector>

namespace tunedeck::profile {

enum class ChordQuality { Major, Minor, Diminished, Dominant7, Minor7, Major7, HalfDiminished7, Diminished7 };
constexpr int ChordQualities = 8;
constexpr int ChordClasses = 12 * ChordQualities; // root (relative to a tonic) x quality

struct Chord {
    int root = -1; // pitch class; -1: no clear chord (or nothing sounding)
    ChordQuality quality = ChordQuality::Major;
};

// How chords are found; the defaults set by hand, any within 0.5 points on the corpus over a
// grid (docs/PROFILE-ANALYSIS.md).
struct ChordFinding {
    double heard = 0.03;         // a chord tone under this share of the sounding time is missing
    double missingPenalty = 0.3; // per missing chord tone
    double bassBonus = 0.3;      // times the root's share of the bass time
    double noChordBelow = 0.2;   // no clear chord when the best template scores less
};

// The chord template that best covers the window's sounding time: time on chord tones
// counts for it, time off them and chord tones not heard against it, and a root in the bass
// tips close calls. No clear chord when even the best covers too little.
Chord windowChord(const WindowDurations &window, const ChordFinding &finding = {});
std::vector<Chord> windowChords(const std::vector<WindowDurations> &windows, const ChordFinding &finding = {});

// A chord's class relative to a tonic: ChordQualities * ((root - tonic) mod 12) + quality.
int chordClass(const Chord &chord, int tonic);

// Log probability of each chord class in a key: [0] major, [1] minor.
using ChordTable = std::array<std::array<double, ChordClasses>, 2>;

// The fitted table (fittedchords.h).
const ChordTable &fittedChords();

// Every window's chord scored for the 24 keys (key index order), weight times the table's log
// probability; 0 for every key where there is no clear chord.
std::vector<KeyScores> chordScores(const std::vector<Chord> &chords, const ChordTable &table, double weight);

} // namespace tunedeck::profile

#endif
