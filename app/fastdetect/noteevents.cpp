#include "fastdetect/noteevents.h"

#include "fastdetect/trackwalk.h"

#include <algorithm>
#include <utility>

namespace tunedeck {

namespace {

// The events gathered first and those gathered after them were once two stores, merged
// by time alone with ties to the first: the order keeps that split.
constexpr std::size_t FirstGroupSize = 32000;

// The whole feed order in one number: tick, group, note-off after note-on, note, velocity,
// and the gathering number last, so sorting the keys is a stable sort of the events.
// Ticks are below 2^31 (the reader refuses longer tracks) and the numbers below 2^17.
std::uint64_t feedKey(const NoteEvent &e, std::size_t gathered)
{
    static_assert(MaxNoteEvents < (1 << 17));
    return std::uint64_t(std::uint32_t(e.tick)) << 33 | std::uint64_t(gathered >= FirstGroupSize) << 32
           | std::uint64_t(!e.on) << 31 | std::uint64_t(e.note & 0x7F) << 24
           | std::uint64_t(e.velocity & 0x7F) << 17 | std::uint64_t(gathered);
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
    if (events.size() >= (std::size_t(1) << 17)) {
        // More than a run holds: the numbers do not fit the packed key.
        std::vector<std::pair<std::uint64_t, NoteEvent>> keyed;
        keyed.reserve(events.size());
        for (std::size_t i = 0; i < events.size(); ++i)
            keyed.emplace_back(feedKey(events[i], 0) | std::uint64_t(i >= FirstGroupSize) << 32, events[i]);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        for (std::size_t i = 0; i < events.size(); ++i)
            events[i] = keyed[i].second;
        return;
    }
    std::vector<std::uint64_t> keys(events.size()), spare(events.size());
    for (std::size_t i = 0; i < events.size(); ++i)
        keys[i] = feedKey(events[i], i);
    // A stable radix sort on everything above the gathering number, 12 bits a pass: the
    // keys are unique, so this is the order a comparison sort gives, several times faster.
    constexpr int Digit = 12, Passes = 4, IndexBits = 17;
    std::vector<std::uint32_t> counts(std::size_t(1) << Digit);
    for (int pass = 0; pass < Passes; ++pass) {
        const int shift = IndexBits + pass * Digit;
        std::fill(counts.begin(), counts.end(), 0);
        for (std::uint64_t k : keys)
            ++counts[(k >> shift) & ((1u << Digit) - 1)];
        if (!keys.empty() && counts[(keys.front() >> shift) & ((1u << Digit) - 1)] == keys.size())
            continue; // every key has this digit: the pass would change nothing
        std::uint32_t start = 0;
        for (std::uint32_t &c : counts)
            start += std::exchange(c, start);
        for (std::uint64_t k : keys)
            spare[counts[(k >> shift) & ((1u << Digit) - 1)]++] = k;
        keys.swap(spare);
    }
    std::vector<NoteEvent> ordered;
    ordered.reserve(events.size());
    for (std::uint64_t k : keys)
        ordered.push_back(events[k & ((1u << 17) - 1)]);
    events.swap(ordered);
}

} // namespace tunedeck
