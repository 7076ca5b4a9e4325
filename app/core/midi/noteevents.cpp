#include "core/midi/noteevents.h"

#include "core/base/playadjust.h"
#include "core/midi/trackwalk.h"

#include <algorithm>
#include <tuple>

namespace tunedeck {

namespace {

// The events gathered first and those gathered after them were once two stores, merged
// by time alone with ties to the first: the order keeps that split.
constexpr std::size_t FirstGroupSize = 32000;

// Within a store: by tick, note-ons before note-offs, by note, then by velocity.
bool feedsBefore(const NoteEvent &a, const NoteEvent &b)
{
    return std::tuple(a.tick, !a.on, a.note, a.velocity) < std::tuple(b.tick, !b.on, b.note, b.velocity);
}

} // namespace

bool analysedNote(int status, bool allTracks)
{
    const int kind = status & 0xF0;
    const int channel = status & 0x0F;
    if ((kind != 0x90 && kind != 0x80) || channel == LastChannel)
        return false;
    return !(allTracks && channel == DrumChannel);
}

NoteEvent makeNoteEvent(std::int32_t tick, int status, int note, int velocity, std::int32_t track)
{
    NoteEvent e;
    e.tick = tick;
    e.note = std::uint8_t(note);
    e.on = (status & 0xF0) == 0x90 && velocity > 0;
    e.velocity = e.on ? std::uint8_t(velocity) : 0;
    e.channel = std::uint8_t(status & 0x0F);
    e.track = track;
    return e;
}

bool gatherNoteEvents(const MidiFile &file, std::int32_t first, std::int32_t last, bool allTracks,
                      std::vector<NoteEvent> &events)
{
    events.clear();
    return walkTracks(file, first, last, [&](std::int32_t tick, std::int32_t track, const MidiEvent &ev) {
        if (!analysedNote(ev.status, allTracks))
            return true;
        if (events.size() == std::size_t(MaxNoteEvents))
            return false;
        events.push_back(makeNoteEvent(tick, ev.status, ev.data1, ev.data2, track));
        return true;
    });
}

void putInFeedOrder(std::vector<NoteEvent> &events)
{
    const auto split = events.begin() + std::ptrdiff_t(std::min(events.size(), FirstGroupSize));
    std::stable_sort(events.begin(), split, feedsBefore);
    std::stable_sort(split, events.end(), feedsBefore);
    // Stable: at one tick the first store's events stay ahead.
    std::inplace_merge(events.begin(), split, events.end(),
                       [](const NoteEvent &a, const NoteEvent &b) { return a.tick < b.tick; });
}

int transposeNoteEvents(std::vector<NoteEvent> &events, int semitones)
{
    if (semitones == 0)
        return 0;
    int leftOut = 0;
    std::erase_if(events, [&](NoteEvent &e) {
        if (!carriesPitch(0x90 | e.channel))
            return false;
        const std::optional<std::uint8_t> note = transposedNote(e.note, semitones);
        if (!note) {
            leftOut += e.on ? 1 : 0;
            return true;
        }
        e.note = *note;
        return false;
    });
    return leftOut;
}

int leaveOutRefusedNotes(std::vector<NoteEvent> &events)
{
    int leftOut = 0;
    std::erase_if(events, [&](const NoteEvent &e) {
        if (libraryTakesNote(e.note))
            return false;
        leftOut += e.on ? 1 : 0;
        return true;
    });
    return leftOut;
}

} // namespace tunedeck
