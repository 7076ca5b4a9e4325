#include "run/profiletracking.h"

namespace tunedeck {

void ProfileTracking::start(const PlayKeys *keys)
{
    tracker_.clear();
    heard_.clear();
    keys_ = keys;
    shownChord_.reset();
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
    // A play knows its chords: the chord of the moment changes with the notes, not on the second.
    if (keys_)
        showChord(keys_->chordAt(ms, {heard_.chordAt(ms), tracker_.reading().keyCode}), ms / 1000);
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
        showChord(keys_ ? keys_->chordAt(at, chord) : chord, nextSecond_);
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

void ProfileTracking::showChord(const ShownChord &chord, std::int64_t second)
{
    if (shownChord_ == chord)
        return;
    shownChord_ = chord;
    emit chordAnalysed(chord, second);
}

} // namespace tunedeck
