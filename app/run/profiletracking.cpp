#include "run/profiletracking.h"

namespace tunedeck {

void ProfileTracking::start(const PlayKeys *keys)
{
    tracker_.clear();
    heard_.clear();
    keys_ = keys;
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
    heard_.note(ms, key.note);
    emit tonalyteKey(ms / 1000, key.keyCode);
}

void ProfileTracking::update(std::int64_t ms)
{
    if (!running_)
        return;
    for (; nextSecond_ * 1000 <= ms; ++nextSecond_) {
        const std::int64_t at = nextSecond_ * 1000;
        const profile::ProfileReading heard = tracker_.readingAt(at);
        emit analysed(keys_ ? keys_->at(at, heard) : ShownKey{heard}, nextSecond_);
        const ShownChord chord{heard_.chordAt(at), heard.keyCode};
        emit chordAnalysed(keys_ ? keys_->chordAt(at, chord) : chord, nextSecond_);
    }
}

void ProfileTracking::finish(std::int64_t ms)
{
    if (!running_)
        return;
    update(ms);
    running_ = false;
    if (!keys_)
        emit finished(ShownKey{tracker_.finalReading(ms)});
}

} // namespace tunedeck
