// The shared corpus as the scoring tool reads it: every set's labels.tsv, the annotated
// local keys (regions.tsv or localkeys.tsv), and each file's note events.
#ifndef TUNEDECK_KEYSCORE_CORPUS_H
#define TUNEDECK_KEYSCORE_CORPUS_H

#include "core/midi/noteevents.h"
#include "core/score/score.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tunedeck::keyscore {

struct Span {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

struct Region {
    Span span;
    int keyCode = 0;
};

// What a file is scored as: its whole-file key counts for pop, chorales and songs; its local
// keys for pop and the two kinds of classical music with annotated key changes.
enum class Kind { Pop, Chorale, Song, Textbook, Other };

struct CorpusFile {
    std::string set; // the folder: "bach", "pop909", "wir"
    std::string name;
    int keyCode = 0;
    int regionCount = 1;         // labels.tsv's nregions
    std::string genre, source;   // labels.tsv's optional columns
    Kind kind = Kind::Other;
    // Files of one group stay together in cross-validation: a piece, a song's composer, a
    // textbook.
    std::string group;
    std::vector<Region> regions; // from regions.tsv or localkeys.tsv, when the set has one
    int ticksPerQuarter = 480;
    float msPerTick = 0; // at the first tempo, as the fast run reads it
    int statedQuarters = 0; // the first time signature's quarters a bar, as the fast run reads it (0: none)
    std::vector<NoteEvent> events; // all tracks after the tempo track, in feed order
    std::vector<Span> sounding;    // when at least one note sounds, in order
    // The tick at every second of a play at the first tempo, one past the last note's second,
    // and the play's length to its last note.
    std::vector<std::int64_t> secondTicks;
    double minutes = 0;
    // Read from a score: its measures as printed, and the semitones its notes were moved by to
    // meet the MIDI file's.
    std::shared_ptr<const score::ScoreLayout> layout;
    int scoreShift = 0;
};

// Sounding ticks of a file's sorted, disjoint spans in [a, b).
double soundingBetween(const std::vector<Span> &spans, std::int64_t a, std::int64_t b);

// Where a file's notes come from: the MIDI file itself (no folders), or the score of the same
// name (.mxl, .musicxml or .xml) in the first of these folders that has one, read as the
// programs open any file; the annotations' ticks apply to both, and a score is moved to the
// pitch of its MIDI file where that was transposed (shiftToMidi).
using ScoreFolders = std::vector<std::filesystem::path>;

// Every file listed in a labels.tsv of a subfolder, or of the folder itself when it holds one.
// Files that cannot be read are left out with a line in warnings, and so are, with one line a
// set, the files without a score when scores are asked for; an empty result means no corpus
// there.
std::vector<CorpusFile> loadCorpus(const std::filesystem::path &folder, std::vector<std::string> &warnings,
                                   const ScoreFolders &scores = {});
// The same for one set's folder (one holding a labels.tsv).
std::vector<CorpusFile> loadSet(const std::filesystem::path &set, std::vector<std::string> &warnings,
                                const ScoreFolders &scores = {});
// The semitones that move a score's notes onto those of the MIDI file made from it, when the
// MIDI file was transposed as a whole after it was written (its annotations then follow the
// MIDI file): the interval under which most of the MIDI file's note onsets meet the score's,
// if that is more than half of them and more than meet unmoved; else 0.
int shiftToMidi(const std::vector<NoteEvent> &score, const std::vector<NoteEvent> &midi);

// The score standing for a MIDI file of that name in the folders; empty when none has one.
std::filesystem::path scoreFor(const std::string &midiName, const ScoreFolders &scores);

// The fold of each item, its group given: every group whole in one fold, the largest groups
// dealt first, each to the fold holding the fewest items so far.
std::vector<int> foldsOfGroups(const std::vector<std::string> &groups, int folds);

} // namespace tunedeck::keyscore

#endif
