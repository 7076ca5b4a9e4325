// What each beat shows of a downbeat: the harmony and the bass changing into it, the bar from
// it against the bar before, long notes and a new lowest note starting on it, notes held across
// it.
#ifndef TUNEDECK_CORE_CHORDS_BAREVIDENCE_H
#define TUNEDECK_CORE_CHORDS_BAREVIDENCE_H

#include "core/chords/beatgrid.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

enum Evidence : std::size_t {
    Change,    // the harmony of the two beats from it against the two before (cosine distance)
    BassMove,  // the same of the bass
    BarChange, // the bar from it against the bar before, harmony and bass
    Onset,     // long notes starting on it, over the file's mean
    BassOnset, // a note below everything sounding starting on it, by its length, over the mean
    Held,      // notes held across it, over the mean
    Onsets,    // notes starting on it, over the mean
    EvidenceCount
};

using BeatEvidence = std::array<double, EvidenceCount>;

// The notes (sorted by start) read beat by beat on the grid: every beat's evidence for a bar
// of any length. Beats from the grid's first to the last note's end, at most maxBeats. The
// kinds `wanted` leaves out read 0: the notes held across the beats cost a walk of their own.
class BarEvidence {
public:
    using Wanted = std::array<bool, EvidenceCount>;
    static constexpr Wanted Every = {true, true, true, true, true, true, true};
    BarEvidence(std::span<const SpanNote> notes, const BeatGrid &beats, std::size_t maxBeats, const Wanted &wanted = Every);
    std::size_t beats() const { return onset_.size(); }
    std::vector<BeatEvidence> forBars(std::size_t quarters) const;

private:
    using Chroma = std::array<double, 12>;
    Chroma over(const std::vector<Chroma> &sums, std::size_t from, std::size_t to) const;
    std::vector<Chroma> sounding_, bass_; // sums from beat 0: [k] holds the beats before k
    std::vector<double> onset_, bassOnset_, held_, onsets_;
};

} // namespace tunedeck::chords

#endif
