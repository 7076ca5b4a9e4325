// The chords of a file as tunedeck-detect and the page write them: the chart of the text
// output, the CSV's rows (one a chord) and the markers of a chord-marker copy.
#ifndef TUNEDECK_CORE_ANALYSIS_CHORDOUTPUT_H
#define TUNEDECK_CORE_ANALYSIS_CHORDOUTPUT_H

#include "core/chords/chordanalysis.h"
#include "core/midi/midiedit.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck {

// One line a bar that has chords: its number as the timeline writes it, then the chords
// sounding in it in order by their symbols, each with the beat it starts on unless that is
// the bar's first; a chord held over from the bar before opens the line. A change of local
// key stands before the first chord in the new key, the key in force before the first chord
// of all: "0001: [C major] C F@3", "0002: F G7/B@3 [G major] D7@4.5". Rests ("N.C.") show
// only in bars that have chords. Consecutive bars a chord is held through alone share one
// line, numbered with the first and last of them: "0003-0040: F".
// With numerals, each chord's Roman numeral in its local key follows its symbol:
// "0001: [C major] C(I) F(IV)@3".
std::vector<std::string> chordChart(const std::vector<chords::ChordSegment> &segments, const chords::ChordClock &bars,
                                    bool numerals = false);
// The chart in the text block's column: "  Chords            0001: ...", the bars after it
// under the first; "-" for a file without chords.
std::string chordChartText(const std::vector<chords::ChordSegment> &segments, const chords::ChordClock &bars,
                           bool numerals = false);

// file,bar,beat,ms,symbol,label,roman,key,keyCode,confidence: the values as the JSON's
// "chords" writes them, quoted as the collection's CSV is.
std::string chordCsvHeader();
std::string chordCsvRows(std::string_view path, const std::vector<chords::ChordSegment> &segments);

// A marker (FF 06) at each chord's start, the chord's symbol its text ("N.C." for a rest).
MidiEdit chordMarkerEdit(const std::vector<chords::ChordSegment> &segments);

} // namespace tunedeck

#endif
