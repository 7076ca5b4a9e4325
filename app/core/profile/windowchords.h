// The chord of a window, and what it says about the key: a window's pitch-class durations
// matched against templates of triads and seventh chords on every root, and the window chord
// evidence, a table of how likely each chord is relative to the tonic in a major and a minor
// key (fitted on the corpus' annotated local keys, fittedchordevidence.h). A V7 or a vii°7
// says more about the key than the pitch classes of the window counted alone.
#ifndef TUNEDECK_CORE_PROFILE_WINDOWCHORDS_H
#define TUNEDECK_CORE_PROFILE_WINDOWCHORDS_H

#include "core/harmony/chordclasses.h"
#include "core/profile/keyhmm.h"
#include "core/profile/keyworkspace.h"

#include <array>
#include <vector>

namespace tunedeck::profile {

// The templates' qualities, some of the vocabulary's, in the order they are tried (a tie goes
// to the first) and the fitted evidence lists them. A window's chord is always in root position.
inline constexpr std::array<harmony::Quality, 8> WindowQualities = {
    harmony::Quality::Major, harmony::Quality::Minor, harmony::Quality::Diminished, harmony::Quality::Dominant7,
    harmony::Quality::Minor7, harmony::Quality::Major7, harmony::Quality::HalfDiminished7, harmony::Quality::Diminished7,
};
// The classes the evidence is fitted for, as the fitted header lists them: index
// 8 * (the root's semitones above the tonic) + the quality's place in WindowQualities.
constexpr std::size_t WindowClassCount = 12 * WindowQualities.size();
constexpr int windowClass(std::size_t index)
{
    return int(index / WindowQualities.size()) * harmony::QualityCount + int(WindowQualities[index % WindowQualities.size()]);
}

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
harmony::Chord windowChord(const WindowDurations &window, const ChordFinding &finding = {});
std::vector<harmony::Chord> windowChords(const std::vector<WindowDurations> &windows, const ChordFinding &finding = {});

// The fitted evidence (fittedchordevidence.h): the log probability of each class of the
// templates in a key; 0 for the classes no template finds.
const harmony::KeyChordTable &fittedChordEvidence();

// Every window's chord scored for the 24 keys (key index order), weight times the table's log
// probability; 0 for every key where there is no clear chord.
std::vector<KeyScores> chordEvidence(const std::vector<harmony::Chord> &chords, const harmony::KeyChordTable &table,
                                     double weight);

} // namespace tunedeck::profile

#endif
