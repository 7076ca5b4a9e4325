#include "core/midi/midiedit.h"

#include "core/midi/midifile.h"

#include <algorithm>
#include <optional>

namespace tunedeck {

namespace {

constexpr std::uint32_t MaxDelta = 0x0FFFFFFF; // four bytes of variable-length quantity

// One event of a track written again: as the file holds it, or a new one.
struct Event {
    std::uint64_t tick = 0;
    std::string bytes; // after the delta time, without the status byte when it ran on
    std::uint8_t status = 0;
    bool ranOn = false;   // the file left the status byte out (running status)
    bool inserted = false;
};

struct Track {
    std::vector<Event> events;
    std::string tail; // bytes after End of Track, which readers skip; kept as they were
};

bool isMeta(const MidiEvent &e, std::uint8_t type)
{
    return e.status == 0xFF && e.data1 == type;
}

std::string be32Text(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
}

void appendVlq(std::string &out, std::uint32_t v)
{
    char buf[5];
    int n = 0;
    buf[n++] = char(v & 0x7F);
    while (v >>= 7)
        buf[n++] = char(0x80 | (v & 0x7F));
    while (n)
        out += buf[--n];
}

// In a failure's words.
std::string metaName(std::uint8_t type)
{
    switch (type) {
    case 0x59: return "a key signature";
    case 0x06: return "a marker";
    default: return "a meta event";
    }
}

// A status byte left out by the file stays out while the event before it is still the
// one that set it; after a new event it is written, as every reader understands that.
// Gives the event that lies too far from the one before it, if any.
const Event *encodeTrack(const Track &track, std::string &body)
{
    std::uint64_t previous = 0;
    std::uint8_t running = 0;
    bool afterInserted = false;
    for (const Event &ev : track.events) {
        if (ev.tick - previous > MaxDelta)
            return &ev;
        appendVlq(body, std::uint32_t(ev.tick - previous));
        previous = ev.tick;
        if (ev.ranOn && (running != ev.status || afterInserted))
            body += char(ev.status);
        body += ev.bytes;
        if (ev.status < 0xF0)
            running = ev.status;
        else if (ev.status != 0xFF)
            running = 0;
        afterInserted = ev.inserted;
    }
    body += track.tail;
    return nullptr;
}

Event metaEvent(const AddedMeta &meta)
{
    Event ev;
    ev.tick = meta.tick;
    ev.status = 0xFF;
    ev.inserted = true;
    ev.bytes = {char(0xFF), char(meta.type)};
    appendVlq(ev.bytes, std::uint32_t(meta.data.size()));
    ev.bytes += meta.data;
    return ev;
}

// The track of `chunk` in `file`, as the reader placed its events, without the removed
// types and with `added` merged in by tick.
Track rebuilt(std::string_view file, const MidiChunk &chunk, const MidiTrack &track, const std::vector<Event> &added,
              const std::vector<std::uint8_t> &removed)
{
    Track out;
    std::optional<Event> end;
    auto next = added.begin();
    std::uint64_t tick = 0;
    for (std::size_t i = 0; i < track.events.size(); ++i) {
        const MidiEvent &e = track.events[i];
        const EventBytes &place = track.places[i];
        tick += e.delta;
        if (e.status == 0xFF && std::find(removed.begin(), removed.end(), e.data1) != removed.end())
            continue;
        Event ev;
        ev.tick = tick;
        ev.bytes.assign(file.substr(place.begin, place.end - place.begin));
        ev.status = e.status;
        ev.ranOn = place.runningStatus;
        if (isMeta(e, 0x2F)) {
            end = std::move(ev);
            continue;
        }
        for (; next != added.end() && next->tick < ev.tick; ++next)
            out.events.push_back(*next);
        out.events.push_back(std::move(ev));
    }
    out.events.insert(out.events.end(), next, added.end());
    if (end) {
        end->tick = std::max(end->tick, out.events.empty() ? 0 : out.events.back().tick);
        out.events.push_back(*end);
    }
    // The reader stops at End of Track; what follows it in the chunk stays.
    const std::size_t read = track.places.empty() ? chunk.offset + 8 : track.places.back().end;
    out.tail.assign(file.substr(read, chunk.end() - read));
    return out;
}

} // namespace

MidiEdit &MidiEdit::operator+=(const MidiEdit &other)
{
    added.insert(added.end(), other.added.begin(), other.added.end());
    for (std::uint8_t type : other.removed)
        if (std::find(removed.begin(), removed.end(), type) == removed.end())
            removed.push_back(type);
    return *this;
}

Result<std::string> editedMidi(std::string_view file, const MidiEdit &edit)
{
    MidiFile midi;
    if (const Result<> read = midi.loadFromBytes(file, MidiFile::Keep::Places); !read)
        return Unexpected(read.error());
    if (midi.tracks().empty())
        return failure("the file has no track");

    std::vector<Event> added;
    for (const AddedMeta &meta : edit.added)
        added.push_back(metaEvent(meta));
    std::stable_sort(added.begin(), added.end(), [](const Event &a, const Event &b) { return a.tick < b.tick; });
    const auto removes = [&edit](const MidiEvent &e) {
        return e.status == 0xFF && std::find(edit.removed.begin(), edit.removed.end(), e.data1) != edit.removed.end();
    };

    // Only the track chunks written again change; every byte between them is copied.
    std::string out;
    std::size_t copied = 0;
    std::size_t number = 0;
    for (const MidiChunk &chunk : midi.chunks()) {
        if (chunk.type != "MTrk")
            continue;
        const MidiTrack &track = midi.tracks()[number];
        const bool first = number++ == 0;
        if (!first && std::none_of(track.events.begin(), track.events.end(), removes))
            continue;
        std::string body;
        const Track rewritten = rebuilt(file, chunk, track, first ? added : std::vector<Event>{}, edit.removed);
        if (const Event *far = encodeTrack(rewritten, body)) {
            // Either the new event is far, or the file's own event now that one removed went.
            const std::uint8_t type = far->inserted ? std::uint8_t(far->bytes[1]) : edit.removed.empty() ? 0 : edit.removed.front();
            return failure(metaName(type) + " lies too far from the event before it");
        }
        out += file.substr(copied, chunk.offset - copied);
        out += "MTrk" + be32Text(std::uint32_t(body.size())) + body;
        copied = chunk.end();
    }
    out += file.substr(copied); // what follows the last chunk written again, as it was
    return out;
}

} // namespace tunedeck
