#include "playback/livesession.h"

#include "binding/tonalytelibrary.h"

namespace tunedeck {

LiveSession::LiveSession(TonalyteLibrary &library, LiveKeyView &view) : library_(library), view_(view) {}

bool LiveSession::start(bool moreSensitive)
{
    stop();
    running_ = startLiveDetection(library_, moreSensitive);
    return running_;
}

void LiveSession::stop()
{
    if (!running_)
        return;
    running_ = false;
    library_.KeyStopTimer();
}

void LiveSession::heard(const NoteEvent &note)
{
    if (!running_)
        return;
    const LiveKey key = feedLiveNote(library_, note);
    if (key.keyCode < 0)
        stop();
    view_.showLiveKey(key);
}

} // namespace tunedeck
