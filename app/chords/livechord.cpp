#include "chords/livechord.h"

#include "chords/chordframes.h"

#include <algorithm>

namespace tunedeck::chords {

void LiveChord::clear()
{
    heard_.clear();
    lastMs_ = 0;
}

void LiveChord::note(std::int64_t ms, const NoteEvent &event)
{
    if (event.channel == 9)
        return;
    ms = std::max(ms, lastMs_);
    lastMs_ = ms;
    // Notes that ended over a second ago can no longer count.
    std::erase_if(heard_, [&](const Heard &h) { return h.endMs >= 0 && h.endMs < ms - SpanMs; });
    if (event.on) {
        heard_.push_back({event.channel, event.note, ms, -1});
        return;
    }
    for (Heard &h : heard_)
        if (h.endMs < 0 && h.channel == event.channel && h.pitch == event.note) {
            h.endMs = ms;
            break;
        }
}

Chord LiveChord::chordAt(std::int64_t ms) const
{
    std::vector<SpanNote> notes;
    notes.reserve(heard_.size());
    for (const Heard &h : heard_) {
        const std::int64_t end = h.endMs < 0 ? ms : h.endMs;
        if (end > ms - SpanMs && h.startMs < ms)
            notes.push_back({h.startMs, end, h.pitch});
    }
    return spanChord(notes, ms - SpanMs, ms);
}

} // namespace tunedeck::chords
