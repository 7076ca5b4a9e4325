// The chords per beat as the page shows and saves them: typed values for the chord lane, its
// list and a play's lookup, their texts made here with the core's names, and their CSV.
#ifndef TUNEDECK_WEB_PAGECHORDS_H
#define TUNEDECK_WEB_PAGECHORDS_H

#include "core/chords/chordanalysis.h"
#include "jsvalues.h"

#include <string>
#include <vector>

namespace tunedeck::web {

// Numbers a segment takes in chordsValue's Int32Array.
inline constexpr int ChordStride = 8;

// {segments: Int32Array of (tick, endTick, startMs, endMs, root, quality, bass, keyCode) a
// segment, symbols[] ("G7/B"), shortSymbols[] ("G7"), romans[] ("V65", "" without a key),
// keys[] ("G major"), confidence (Float32Array), inKey[] ("D7 — V7 of G major"),
// places[] ("bar 3, beat 2")}:
// ms at msPerTick, the play's tempo, as the roll times its keys.
val chordsValue(const std::vector<chords::ChordSegment> &segments, double msPerTick);

// The segments back from chordsValue's typed values: their ticks, chords and keys, what a
// play's lookup reads. None from anything else.
std::vector<chords::ChordSegment> chordSegments(const val &chords);

// file,bar,beat,ms,symbol,label,roman,key,keyCode,confidence: a row a segment, the values as
// the JSON's "chords" holds them, written as the page's other CSV is.
std::string chordsCsv(const std::vector<chords::ChordSegment> &segments, const std::string &file);

} // namespace tunedeck::web

#endif
