#include "run/liveanalysis.h"

namespace tunedeck {

void LiveAnalysis::start()
{
    tracker_.clear();
    running_ = true;
    emit started();
}

void LiveAnalysis::record(const LiveKey &key, std::int64_t ms)
{
    if (!running_)
        return;
    tracker_.note(ms, key.note);
    emit tonalyteKey(ms / 1000, key.keyCode);
}

void LiveAnalysis::update(std::int64_t ms)
{
    if (!running_)
        return;
    emit analysed(tracker_.readingAt(ms), ms / 1000);
}

void LiveAnalysis::finish(std::int64_t ms)
{
    update(ms);
    running_ = false;
}

} // namespace tunedeck
