// The standard chord measures, as mir_eval 0.7 (mir_eval.chord) defines them, on one file's
// annotated chords and an estimate, both in the file's ticks: the same labels, gamuts,
// span adjustment and merging, so the figures equal mir_eval's.
#ifndef TUNEDECK_CHORDSCORE_CHORDMEASURES_H
#define TUNEDECK_CHORDSCORE_CHORDMEASURES_H

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::chordscore {

// A Harte label as mir_eval encodes it: the root's pitch class (-1 for N and X), the tones
// as semitones above the root (the bass always among them), the bass above the root.
struct EncodedChord {
    int root = -1;
    std::uint16_t tones = 0; // bit i: i semitones above the root
    int bass = -1;
    bool unknown = false;    // "X": no reference chord, outside every gamut
    friend bool operator==(const EncodedChord &, const EncodedChord &) = default;
};

// mir_eval's encode: with reduceExtended, a ninth, eleventh or thirteenth counts as its
// pitch class (as its merging of segments reads them), else it is left out. Nothing for a
// label it refuses (an unknown quality, a malformed root or degree).
// mir_eval's pitch_class_to_semitone: a letter, then any sharps and flats; 0-11.
std::optional<int> pitchClass(std::string_view name);

std::optional<EncodedChord> encodeHarte(std::string_view label, bool reduceExtended = false);

// A row of chords.tsv, or a segment the analysis found, in the file's ticks.
struct ChordRow {
    std::int64_t start = 0, end = 0;
    std::string label;                // Harte syntax, "N" for no chord
    std::string roman;                // as written, relative to keyCode; empty without one
    int keyCode = 0;                  // the local key; NoKey without one
    std::optional<double> confidence; // the analysis' own, for its segments; nothing elsewhere
};

// The estimate as mir_eval's evaluate reads it: segments in time order, a gap between them
// no chord ("N"), cut or filled with N to the reference's span (its first start to its last
// end), and what lasts no time after that left out (mir_eval stops on such an interval).
std::vector<ChordRow> adjustedEstimate(const std::vector<ChordRow> &segments, std::int64_t from, std::int64_t to);

// mir_eval's merge_labeled_intervals on a reference and an adjusted estimate: every boundary
// of either, each piece with the last row of each starting at or before it (a piece in a gap
// of the reference takes the row before). Calls piece(from, to, reference row, estimate row).
void forEachPiece(const std::vector<ChordRow> &reference, const std::vector<ChordRow> &adjusted,
                  const std::function<void(std::int64_t, std::int64_t, std::size_t, std::size_t)> &piece);

enum class Measure { Root, MajMin, MajMinInv, Sevenths, SeventhsInv };
constexpr std::array<Measure, 5> AllMeasures = {Measure::Root, Measure::MajMin, Measure::MajMinInv,
                                                Measure::Sevenths, Measure::SeventhsInv};
const char *measureName(Measure m); // mir_eval's: "root", "majmin", "majmin_inv", ...

// One comparison: 1 or 0, or nothing where the reference lies outside the measure's gamut.
std::optional<double> compare(Measure m, const EncodedChord &reference, const EncodedChord &estimate);

struct FileMeasures {
    // Time-weighted over the reference's time inside each measure's gamut; nothing where no
    // reference time is (mir_eval says 0 there, with a warning).
    std::array<std::optional<double>, AllMeasures.size()> accuracy;
    double overSegmentation = 0, underSegmentation = 0;
    double segmentation() const { return std::min(overSegmentation, underSegmentation); }
    std::int64_t annotated = 0; // the reference's span in ticks
};

// Every measure of one file, as mir_eval.chord.evaluate gives them. The reference's rows in
// time order, each lasting some time, every label one encodeHarte reads (else nothing).
std::optional<FileMeasures> measureFile(const std::vector<ChordRow> &reference,
                                        const std::vector<ChordRow> &estimate);

} // namespace tunedeck::chordscore

#endif
