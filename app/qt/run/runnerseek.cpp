// A play's position: seeking, pausing and going on. The library cannot be wound forward,
// so a seek rebuilds both analyses from the notes before the point (seekrebuild.h).
#include "qt/run/runner.h"

#include "qt/run/profiletracking.h"

#include <algorithm>

namespace tunedeck {

void Runner::seek(std::int64_t ms)
{
    if (state_ != RunState::Playing && state_ != RunState::Stopping && state_ != RunState::Paused)
        return;
    seekTo(ms, state_ != RunState::Paused);
}

void Runner::seekTo(std::int64_t ms, bool playing)
{
    ms = std::clamp<std::int64_t>(ms, 0, play_.length());
    Timer1->stop();
    const AnalysisChoices c = choices();
    emit liveStarted();
    live_->start(playKeys_ ? &*playKeys_ : nullptr);
    // The live analysis rebuilt as the play fed it, a second at a time.
    const RebuiltState rebuilt = play_.seek(ms, c.fast.moreSensitive, playing, [this](const SentNote &n, std::int32_t code) {
        if (code >= 0)
            live_->record({n.note, code}, n.ms);
        else
            live_->update(n.ms);
    });
    live_->update(ms);
    if (rebuilt.next > 0)
        emit answered(rebuilt.key);
    emit clockTicked(clock());
    // A refused note before the point ended the play there, as it did.
    setState(rebuilt.refused ? RunState::Idle : playing ? RunState::Playing : RunState::Paused);
    if (!rebuilt.refused && playing)
        TimerCTime->start(); // the next second from here
    showStanding();
}

void Runner::pause()
{
    if (state_ != RunState::Playing)
        return;
    // The seconds played so far, as going on rebuilds them.
    live_->update(play_.fedUpTo());
    play_.pause();
    TimerCTime->stop();
    setState(RunState::Paused);
}

void Runner::resume()
{
    if (state_ == RunState::Paused)
        seekTo(clock(), true);
}

} // namespace tunedeck
