#include "run/profiletracking.h"

namespace tunedeck {

void ProfileTracking::start()
{
    tracker_.clear();
    running_ = true;
    nextSecond_ = 1;
    emit started();
}

void ProfileTracking::record(const TonalyteAnswer &key, std::int64_t ms)
{
    if (!running_)
        return;
    update(ms);
    tracker_.note(ms, key.note);
    emit tonalyteKey(ms / 1000, key.keyCode);
}

void ProfileTracking::update(std::int64_t ms)
{
    if (!running_)
        return;
    for (; nextSecond_ * 1000 <= ms; ++nextSecond_)
        emit analysed(tracker_.readingAt(nextSecond_ * 1000), nextSecond_);
}

void ProfileTracking::finish(std::int64_t ms)
{
    update(ms);
    running_ = false;
}

} // namespace tunedeck
