#include "pagelive.h"

#include "core/tonalyte/tonalyteengine.h"
#include "pagechords.h"
#include "pageclock.h"
#include "pageanalysis.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::web {

namespace {

std::int64_t wholeMs(double ms) { return std::int64_t(std::floor(std::max(0.0, ms))); }

} // namespace

void PageLive::useChords(const val &chords)
{
    chords_ = chordSegments(chords);
    // Each chord's text as the list shows it, written as a score writes it.
    chordTexts_.clear();
    if (!chords.isNull() && !chords.isUndefined() && chords["inKey"].isArray())
        chordTexts_ = emscripten::vecFromJSArray<std::string>(chords["inKey"]);
}

bool PageLive::start()
{
    live_.start(keys_ ? &*keys_ : nullptr);
    offset_ = 0;
    running_ = composed_ && session_.start(moreSensitive_);
    return running_;
}

void PageLive::advance(double ms)
{
    if (!running_)
        return;
    const std::int64_t at = wholeMs(ms);
    pageClock().advanceTo(at - offset_);
    live_.update(at);
}

void PageLive::played(std::int32_t tag, double ms)
{
    if (!running_)
        return;
    advance(ms);
    answered_ = false;
    session_.played(tag); // answers through showAnswer, unless the tag names no note
    if (!answered_)
        return;
    if (live_.answer().keyCode >= 0)
        live_.record(live_.answer(), wholeMs(ms));
    else
        running_ = false; // refused: the session stopped the play
}

void PageLive::seek(double ms, bool playing)
{
    if (!composed_)
        return;
    const std::int64_t to = std::clamp<std::int64_t>(wholeMs(ms), 0, session_.length());
    live_.start(keys_ ? &*keys_ : nullptr);
    // The live analysis rebuilt as the play fed it, a second at a time.
    const RebuiltState rebuilt = session_.seek(to, moreSensitive_, playing, [this](const SentNote &n, std::int32_t code) {
        if (code >= 0)
            live_.record({n.note, code}, n.ms);
        else
            live_.update(n.ms);
    });
    live_.update(to);
    if (rebuilt.next > 0)
        showAnswer(rebuilt.key, to);
    offset_ = to;
    running_ = playing && !rebuilt.refused;
}

void PageLive::pause()
{
    session_.pause();
    running_ = false;
}

void PageLive::stop()
{
    session_.stop();
    // Listening's report keeps the key heard, however long ago the last note was.
    if (running_)
        live_.finish(live_.position());
    running_ = false;
}

bool PageLive::listen(bool moreSensitive)
{
    stop();
    composed_ = false;
    keys_.reset();
    live_.start();
    offset_ = 0;
    listening_ = true;
    heardNoteZero_ = 0;
    moreSensitive_ = moreSensitive;
    running_ = startLiveDetection(pageEngine(), moreSensitive);
    return running_;
}

void PageLive::heard(int status, int note, int velocity, double ms)
{
    if (!running_)
        return;
    const std::int64_t at = wholeMs(ms);
    advance(double(at));
    NoteEvent e;
    e.tick = std::int32_t(at); // timed by listening's clock, for the tracker
    e.note = std::uint8_t(note & 0x7F);
    e.on = (status & 0xF0) == 0x90 && velocity > 0;
    e.velocity = e.on ? std::uint8_t(velocity & 0x7F) : 0;
    e.channel = std::uint8_t(status & 0x0F);
    // The library would refuse it and end listening: it goes unfed, and unanalysed alike.
    if (!libraryTakesNote(e.note)) {
        heardNoteZero_ += e.on ? 1 : 0;
        return;
    }
    const TonalyteAnswer key = feedLiveNote(pageEngine(), e);
    showAnswer(key, at);
    if (key.keyCode >= 0) {
        live_.record(key, at);
    } else {
        pageEngine().KeyStopTimer();
        running_ = false;
    }
}

void PageLive::showAnswer(const TonalyteAnswer &key, std::int64_t)
{
    live_.answered(key);
    answered_ = true;
}

} // namespace tunedeck::web
