// The chords of a piece, beat by beat: where the harmony changes and which chord sounds,
// with its Roman numeral in the local key the profile analysis found there. Segments start
// on the beats found from the notes (many files play off a grid counted from tick 0), at
// most one a beat unless the harmony moves faster; the same chord over several beats is
// one segment.
#ifndef TUNEDECK_CORE_CHORDS_CHORDANALYSIS_H
#define TUNEDECK_CORE_CHORDS_CHORDANALYSIS_H

#include "core/base/keycodes.h"
#include "core/base/noteevent.h"
#include "core/chords/bargrid.h"
#include "core/chords/chordconfidence.h"
#include "core/chords/chordmodel.h"
#include "core/chords/chordsteps.h"
#include "core/chords/fittedchordmodel.h"
#include "core/chords/numeralkeys.h"
#include "core/chords/texture.h"
#include "core/harmony/chord.h"
#include "core/profile/profileanalysis.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tunedeck::chords {

struct ChordSegment {
    std::int64_t tick = 0;    // the file's ticks, from tick to endTick
    std::int64_t endTick = 0;
    std::int64_t bar = 1;     // from 1 (0 in a pickup), bars of the clock
    double beat = 1;          // from 1, in quarter notes from the bar's start; a fraction where it starts off the beat
    std::int64_t ms = 0;      // the start as a play times it, at the first tempo
    harmony::Chord chord;
    int keyCode = NoKey;      // the local key in force
    double confidence = 0;    // how often a chord shown so is right
    std::optional<harmony::WrittenChord> written; // as a score writes it (SpelledNames::writeChords)
    friend bool operator==(const ChordSegment &, const ChordSegment &) = default;
};

// Where the piece and its clock are: bars of ticksPerBar, bar 1 from barStart (before it bar 0
// where that is a pickup, else bar 1 too), msPerTick at the first tempo.
struct ChordClock {
    int ticksPerQuarter = 480;
    std::int64_t ticksPerBar = 1920;
    double msPerTick = 0;
    std::int64_t barStart = 0;
    bool pickup = false;
    std::vector<std::int64_t> barLines = {}; // from bar 1's on where bars differ in length (BarGrid::lines)
    std::int64_t beatPhase = -1; // where musicClock found the beats (beatgrid.h); -1: not yet
};

// The clock with the music's bars: the meter and downbeat the notes of the events show
// (bargrid.h), statedQuarters the file's meter in quarter notes (0 without one).
ChordClock musicClock(const std::vector<NoteEvent> &events, ChordClock clock, int statedQuarters,
                      const BarWeights &weights = {});
// The same from the events' notes already paired (pairNotes), which the chords can then reuse.
ChordClock musicClock(std::span<const SpanNote> notes, ChordClock clock, int statedQuarters,
                      const BarWeights &weights = {});

// maj7, min7 and sus2 likelier than the frames alone make them where their colour tones sound
// below the melody, chosen on the training pop songs for their sevenths with maj7 and sus2
// said at least a third as often as annotated (docs/CHORDS.md).
inline constexpr std::array<double, harmony::QualityCount> DefaultQualityBoost = {
    0, 0, 0, 0, 0, 1.5 /* maj7 */, 1.0 /* min7 */, 0, 0, 0, 1.7 /* sus2 */, 0, 0};

// How the chords of a figured accompaniment (art songs: texture.h) are found instead: their
// harmony changes more often and leans more on the key, and their dominant sevenths' sevenths
// sound in passing, in the figuration or the voice. Chosen by five folds of the art songs grouped
// by composer (tools/chordscore/cv_figured.py): every fold chose these.
struct FiguredTuning {
    double change = 1;
    double keyWeight = 0.9;
    double inversionShare = 0.6;
    double dominantSeventh = 1.5; // added to every dominant seventh's score in every frame
    double numeralChange = 3;     // what a change of the numerals' key costs (numeralkeys.h); four folds of five (cv_numerals.py)
};

// How chords are found; the defaults chosen by grouped cross-validation on the shared corpus
// (docs/CHORDS.md).
struct ChordOptions {
    int framesPerBeat = 1;
    double change = 2;        // the log cost of a chord change on a beat...
    double offBeatChange = 2; // ...and this much more between frames that split a beat
    double bassMoveChange = 1;  // this much less where the bass moves to another pitch class
    double notesMoveChange = 1; // and this much less times how far the notes moved (changecost.h)
    // Where the beats' chords change at least this often a frame, the halves of a beat are
    // decoded apart where the bass moves within it (chordsteps.h); 0: never.
    double splitRate = 0.55;
    // A change found at a frame's start moves half a frame earlier or later where the half
    // it crosses favours the other chord by this log ratio: the harmony moving off the beat.
    double halfFrameMove = 8;
    double inversionShare = 0.5; // a chord tone other than the root is the bass when it holds this share of the bass time
    int bassBeats = 2;           // a held chord splits where a chord tone holds the bass this many beats
    // In a figured accompaniment or voices moving off the scale (texture.h), the inversions
    // from the bass line (bassline.h), its notes shorter than passingBass of a frame passing,
    // a chord's first frame counting firstBass more; false: from the lowest note of each
    // moment, its first frame still counting more; in other textures from that, all alike.
    bool bassLine = true;
    double passingBass = 0;
    double firstBass = 2;
    // What the short and off-beat notes of a tune over an accompaniment count (melodyline.h),
    // where the voices move within the scale; 1: as any note.
    double melodyWeight = 0.25;
    double keyWeight = 0.3;      // times the key prior's log ratio for each class in the frame's local key
    // Added to each quality's score in every frame: the model, fitted frame by frame, says the
    // rarer colours (sus2, maj7, min7) far less often than they are annotated.
    std::array<double, harmony::QualityCount> qualityBoost = DefaultQualityBoost;
    // ...only where the quality's colour tones sound below the melody for this share of the
    // frame (0: wherever they sound or not).
    double colourShare = 0.25;
    // A major or minor chord whose third never sounds in its segment, its root and fifth
    // holding this share of the sounding time, is named a power chord (above 1: never). Less
    // than all of it names chords whose third the annotations hear in a passing note.
    double powerShare = 1;
    std::optional<FiguredTuning> figured = FiguredTuning{}; // none: as any texture
    // The key prior's weight where voices move off the scale with no figuration (texture.h:
    // madrigals, many art songs): their chords lean on the key more than the pop songs' do.
    double chromaticKeyWeight = 0.6;
    // The segments' keys along the chords (numeralkeys.h); none: the local key holding most of each.
    std::optional<NumeralKeyWeights> numeralKeys = NumeralKeyWeights{};
    const harmony::KeyChordTable *keyPrior = nullptr; // in place of the fitted one
    const ChordWeights *weights = nullptr; // in place of the fitted ones
    ChordCalibrations calibration = fittedChordCalibrations();
};

// The options a piece of this texture is analysed with.
ChordOptions forTexture(const ChordOptions &options, Texture texture);

// The frames of the events (chordsteps.h).
ChordFrames chordFrames(const std::vector<NoteEvent> &events, int ticksPerQuarter, const ChordOptions &options = {});
// The same on beats already found (a clock's beatPhase), found again where it is -1.
ChordFrames chordFrames(const std::vector<NoteEvent> &events, int ticksPerQuarter, std::int64_t beatPhase,
                        const ChordOptions &options);
// The same from the events' notes already paired.
ChordFrames chordFrames(std::span<const SpanNote> notes, int ticksPerQuarter, std::int64_t beatPhase,
                        const ChordOptions &options);

// The chords of the events (a run's, in feed order; drums on channel 10 never count), their
// keys from the analysis' local keys. Empty without a sounding note.
std::vector<ChordSegment> analyseChords(const std::vector<NoteEvent> &events, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys, const ChordOptions &options = {});
// The same from the events' notes already paired, as the clock's bars were found from them.
std::vector<ChordSegment> analyseChords(std::span<const SpanNote> notes, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys, const ChordOptions &options = {});
// The same from the frames chordFrames made of them with the same options, for a caller that
// reads the frames itself; with inputs, what each segment's confidence was read from.
std::vector<ChordSegment> analyseChords(const ChordFrames &frames, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys, const ChordOptions &options = {},
                                        std::vector<ConfidenceInputs> *inputs = nullptr);

// The segment sounding at a tick: the last one starting at or before it, while it lasts;
// nullptr before the first, in a gap and after the last.
const ChordSegment *chordAt(std::span<const ChordSegment> chords, std::int64_t tick);

// Bar and beat of a tick, as the segments count them.
void placeInBar(ChordSegment &segment, const ChordClock &clock);

} // namespace tunedeck::chords

#endif
