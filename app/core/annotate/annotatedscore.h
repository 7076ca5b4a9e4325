// A score written back with its analysis in it: chord symbols above the top staff of its
// first part, Roman numerals (MusicXML 4.0 <numeral>) below the lowest staff of its last,
// the local key's name where it changes, each at its chord's onset. Nothing else of the
// score changes: read again, it gives the same notes.
#ifndef TUNEDECK_CORE_ANNOTATE_ANNOTATEDSCORE_H
#define TUNEDECK_CORE_ANNOTATE_ANNOTATEDSCORE_H

#include "core/analysis/fileanalysis.h"
#include "core/annotate/harmonymarks.h"
#include "core/base/failure.h"
#include "core/score/scoreplaces.h"

#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::annotate {

// The score's bytes (.musicxml, .xml or .mxl) with the marks written in, as uncompressed
// MusicXML in UTF-8. A MIDI file, or a score the reader refuses, is refused in words.
Result<std::string> annotatedScore(std::string_view bytes, const std::vector<HarmonyMark> &marks);

// The marks written into a score kept by the reader (Score::placed).
Result<std::string> annotatedScore(const score::PlacedScore &placed, const std::vector<HarmonyMark> &marks);

// The analysis of those bytes written into them, into the analysis' own copy of the score's
// text where it kept one (AnalysisChoices::withScorePlaces), else into the bytes read again. A run that unfolded repeats or transposed
// is refused: its chords are not where the written notes are.
Result<std::string> annotatedScore(std::string_view bytes, const FileAnalysis &analysis,
                                   const AnalysisChoices &choices);

} // namespace tunedeck::annotate

#endif
