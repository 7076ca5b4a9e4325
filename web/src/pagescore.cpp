#include "pagescore.h"

#include "core/score/scorefile.h"
#include "core/score/scoremidi.h"
#include "core/score/scorereader.h"

namespace tunedeck::web {

PageBytes::PageBytes(const std::string &bytes, bool unfoldRepeats) : given_(bytes)
{
    if (!score::looksLikeScore(bytes))
        return;
    score_ = true;
    const auto read = score::readScore(bytes, score::ReadOptions{.unfoldRepeats = unfoldRepeats});
    if (read)
        converted_ = score::midiBytes(*read);
    else
        refusal_ = OpenFailure{{read.error().reason}, OpenError::Reader};
}

FileAnalysis refusedScore(const OpenFailure &why)
{
    FileAnalysis a;
    a.refusal = why;
    a.run.outcome = FastOutcome::FileRefused;
    return a;
}

} // namespace tunedeck::web
