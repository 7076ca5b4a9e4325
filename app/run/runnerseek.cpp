// A play's position: seeking, pausing and going on. The library cannot be wound forward,
// so a seek rebuilds both analyses from the notes before the point (seekrebuild.h).
#include "run/runner.h"

#include "run/profiletracking.h"

#include <QTimer>

#include <algorithm>

namespace tunedeck {

void Runner::seek(std::int64_t ms)
{
    if (state_ != RunState::Playing && state_ != RunState::Stopping)
        return;
    ms = std::clamp<std::int64_t>(ms, 0, play_.length());
    Timer1->stop();
    const RunChoices c = choices();
    emit liveStarted();
    live_->start();
    // The live analysis rebuilt as its ticks would have found it, a second at a time.
    std::int64_t second = 1;
    const RebuiltState rebuilt = play_.seek(ms, c.moreSensitive, !paused_,
                                            [this, &second](const SentNote &n, std::int32_t code) {
                                                for (; second * 1000 <= n.ms; ++second)
                                                    live_->update(second * 1000);
                                                if (code >= 0)
                                                    live_->record({n.note, code}, n.ms);
                                            });
    for (; second * 1000 <= ms; ++second)
        live_->update(second * 1000);
    if (rebuilt.next > 0)
        emit answered(rebuilt.key);
    emit clockTicked(clock());
    // A refused note before the point ended the play there, as it did.
    setState(rebuilt.refused ? RunState::Idle : RunState::Playing);
    if (!rebuilt.refused && !paused_)
        TimerCTime->start(); // the next second from here
}

void Runner::pause()
{
    if (state_ != RunState::Playing || paused_)
        return;
    play_.pause();
    TimerCTime->stop();
    paused_ = true;
    emit pausedChanged(true);
}

void Runner::resume()
{
    if (!paused_)
        return;
    paused_ = false;
    emit pausedChanged(false);
    seek(clock());
}

void Runner::unpause()
{
    if (!paused_)
        return;
    paused_ = false;
    emit pausedChanged(false);
}

} // namespace tunedeck
