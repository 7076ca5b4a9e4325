// A piece given as its channel events rather than as a file: a recording, or what the Python
// module is handed (a NumPy array, a mido file). It is analysed as the Standard MIDI File
// holding those events would be, so that every choice a file takes works alike and the
// answer is the file's to the byte.
#ifndef TUNEDECK_CORE_ANALYSIS_EVENTANALYSIS_H
#define TUNEDECK_CORE_ANALYSIS_EVENTANALYSIS_H

#include "core/analysis/fileanalysis.h"
#include "core/base/failure.h"
#include "core/midi/midiwriter.h"

namespace tunedeck {

// analyseBytes of that file; the failure is the piece's, before any run.
Result<FileAnalysis> analyseEvents(TonalyteEngine &engine, const EventPiece &piece, const AnalysisChoices &choices);

} // namespace tunedeck

#endif
