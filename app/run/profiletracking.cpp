#include "run/profiletracking.h"

namespace tunedeck {

void ProfileTracking::start()
{
    tracker_.clear();
    running_ = true;
    emit started();
}

void ProfileTracking::record(const TonalyteAnswer &key, std::int64_t ms)
{
    if (!running_)
        return;
    tracker_.note(ms, key.note);
    emit tonalyteKey(ms / 1000, key.keyCode);
}

void ProfileTracking::update(std::int64_t ms)
{
    if (!running_)
        return;
    emit analysed(tracker_.readingAt(ms), ms / 1000);
}

void ProfileTracking::finish(std::int64_t ms)
{
    update(ms);
    running_ = false;
}

} // namespace tunedeck
