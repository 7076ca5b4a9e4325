// The annotated chords read from the scores' own RomanText analyses: each chord placed on the
// score's measures as the score reader gives them, lasting to the next one or the score's end.
#ifndef TUNEDECK_CHORDSCORE_RNTXTREFERENCE_H
#define TUNEDECK_CHORDSCORE_RNTXTREFERENCE_H

#include "chordscore/chordcorpus.h"
#include "chordscore/rntxtread.h"

#include "core/romantext/romanplaces.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace tunedeck::chordscore {

struct RomanTextTally {
    int files = 0, chords = 0;
    std::map<std::string, int> leftOut; // chords by why they are no reference chord ("X")
    std::map<std::string, std::string> example; // a figure of each kind
};

// The rows of an analysis on a score's measures, its keys and chords moved by shift semitones
// (the MIDI file's pitch). A numeral that names no chord is "X" (outside every measure's
// gamut) with its key and numeral kept; a chord on a measure the score lacks is left out.
std::vector<ChordRow> romanTextRows(const RomanTextRead &read, const romantext::MeasurePlaces &places, int shift,
                                    RomanTextTally &tally);

// Each file read from a score with a .rntxt beside it takes that analysis' rows as its
// annotated chords; the others keep chords.tsv's.
void useRomanText(std::vector<ChordFile> &files, const keyscore::ScoreFolders &scores, RomanTextTally &tally,
                  std::vector<std::string> &warnings);

void printRomanTextTally(const RomanTextTally &tally);

// The scored files' annotated chords, as they are scored against, in chords.tsv's columns.
void writeReference(std::ostream &out, const std::vector<ChordFile> &files);

} // namespace tunedeck::chordscore

#endif
