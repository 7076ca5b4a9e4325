#include "core/analysis/eventanalysis.h"

namespace tunedeck {

Result<FileAnalysis> analyseEvents(TonalyteEngine &engine, const EventPiece &piece, const AnalysisChoices &choices)
{
    Result<std::string> bytes = midiFileBytes(piece);
    if (!bytes)
        return Unexpected(bytes.error());
    return analyseBytes(engine, *bytes, choices);
}

} // namespace tunedeck
