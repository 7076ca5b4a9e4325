#include "core/playback/livesession.h"

#include "core/keymap/keymaprows.h"

namespace tunedeck {

void LiveSession::start(const PlayKeys *keys, std::int64_t firstSecond)
{
    tracker_.clear();
    heard_.clear();
    keys_ = keys;
    running_ = true;
    nextSecond_ = firstSecond;
    position_ = 0;
    shown_ = {};
    shownChord_.reset();
    answer_ = {};
    texts_ = display_.show(0).value_or(texts_);
    map_ = {};
    map_.unit = KeyMapUnit::Second;
    map_.rows = {{TonalyteLiveRow, {}}, {ProfileRow, {}}};
}

void LiveSession::note(std::int64_t ms, const NoteEvent &note)
{
    if (!running_)
        return;
    update(ms);
    tracker_.note(ms, note);
    heard_.note(ms, note);
    // A play knows its chords: the chord of the moment changes with the notes, not on the second.
    if (keys_)
        showChord(keys_->chordAt(ms, {heard_.chordAt(ms), tracker_.reading().keyCode}), ms / 1000);
}

void LiveSession::record(const TonalyteAnswer &key, std::int64_t ms)
{
    if (!running_)
        return;
    note(ms, key.note);
    recordRow(TonalyteLine, ms / 1000, key.keyCode, false);
    if (listener_.tonalyte)
        listener_.tonalyte(ms / 1000, key.keyCode);
}

void LiveSession::update(std::int64_t ms)
{
    if (!running_)
        return;
    position_ = ms;
    for (; nextSecond_ * 1000 <= ms; ++nextSecond_) {
        // Listening in a silence reads alike every second until the next note, and the tracker
        // skips such seconds at once: a clock that jumps far costs one reading, not one a second.
        if (!keys_ && (nextSecond_ + 1) * 1000 <= ms && tracker_.idle())
            nextSecond_ = ms / 1000;
        read(nextSecond_);
    }
}

void LiveSession::read(std::int64_t second)
{
    const std::int64_t at = second * 1000;
    const profile::ProfileReading heard = tracker_.readingAt(at);
    shown_ = keys_ ? keys_->at(at, heard) : ShownKey{heard};
    recordRow(ProfileLine, second, shown_.reading.keyCode, !shown_.reading.sure, shown_.keyFifths);
    if (listener_.read)
        listener_.read({second, heard, shown_});
    const ShownChord chord{heard_.chordAt(at), heard.keyCode};
    showChord(keys_ ? keys_->chordAt(at, chord) : chord, second);
}

void LiveSession::finish(std::int64_t ms)
{
    if (!running_)
        return;
    update(ms);
    running_ = false;
    if (keys_)
        return;
    shown_ = ShownKey{tracker_.finalReading(ms)};
    if (listener_.finished)
        listener_.finished(shown_);
}

void LiveSession::answered(const TonalyteAnswer &key)
{
    answer_ = key;
    if (std::optional<KeyDisplay::Texts> texts = display_.show(key.keyCode))
        texts_ = std::move(*texts);
}

void LiveSession::showChord(const ShownChord &chord, std::int64_t second)
{
    if (shownChord_ == chord)
        return;
    shownChord_ = chord;
    if (listener_.chord)
        listener_.chord(chord, second);
}

void LiveSession::recordRow(std::size_t row, std::int64_t second, int code, bool unsure, std::optional<int> fifths)
{
    recordKey(map_, row, second, code, unsure, fifths);
    if (listener_.keyMap)
        listener_.keyMap(row, second, code, unsure, fifths);
}

} // namespace tunedeck
