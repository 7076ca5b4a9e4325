#include "core/midi/midiwriter.h"

#include <algorithm>
#include <limits>
#include <variant>

namespace tunedeck {

namespace {

constexpr std::int64_t MaxTick = std::numeric_limits<std::int32_t>::max(); // the reader's limit
constexpr std::uint32_t MaxDelta = 0x0FFFFFFF;                             // four bytes of a quantity
constexpr std::int32_t MaxTracks = std::numeric_limits<std::int16_t>::max();

using TrackEvent = std::variant<const MetaEvent *, const RawEvent *>;

std::int64_t tickOf(const TrackEvent &e)
{
    return std::visit([](auto *event) { return event->tick; }, e);
}

void putBe(std::string &out, std::uint32_t value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xFF);
}

void putQuantity(std::string &out, std::uint32_t value)
{
    char bytes[4];
    int n = 0;
    do {
        bytes[n++] = char(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        out += char(bytes[--n] | 0x80);
    out += bytes[0];
}

std::string checkEvent(const RawEvent &e, std::size_t index, int format)
{
    // Named only for a refusal: a piece has thousands of events that pass.
    const auto at = [index] { return "event " + std::to_string(index) + ": "; };
    if (e.tick < 0 || e.tick > MaxTick)
        return at() + "tick " + std::to_string(e.tick) + " is not within 0 to 2147483647";
    if (e.status < 0x80 || e.status > 0xEF)
        return at() + "status " + std::to_string(e.status) + " is no channel message (128 to 239)";
    if (e.data1 < 0 || e.data1 > 127 || e.data2 < 0 || e.data2 > 127)
        return at() + "a data byte is not within 0 to 127";
    if (format != 0 && (e.track < 1 || e.track > MaxTracks))
        return at() + "track " + std::to_string(e.track) + " is not within 1 to 32767";
    return {};
}

std::string checkMeta(const MetaEvent &e, std::size_t index, int format)
{
    // Named only for a refusal: a piece has thousands of events that pass.
    const auto at = [index] { return "meta event " + std::to_string(index) + ": "; };
    if (e.tick < 0 || e.tick > MaxTick)
        return at() + "tick " + std::to_string(e.tick) + " is not within 0 to 2147483647";
    if (e.type < 0 || e.type > 127)
        return at() + "type " + std::to_string(e.type) + " is not within 0 to 127";
    if (e.data.size() > MaxDelta)
        return at() + "its data is longer than a file can hold";
    if (format != 0 && (e.track < 1 || e.track > MaxTracks))
        return at() + "track " + std::to_string(e.track) + " is not within 1 to 32767";
    return {};
}

void putEvent(std::string &body, const TrackEvent &event)
{
    if (const auto *meta = std::get_if<const MetaEvent *>(&event)) {
        body += char(0xFF);
        body += char((*meta)->type);
        putQuantity(body, std::uint32_t((*meta)->data.size()));
        body += (*meta)->data;
        return;
    }
    const RawEvent *e = std::get<const RawEvent *>(event);
    body += char(e->status);
    body += char(e->data1);
    if ((e->status & 0xE0) != 0xC0)
        body += char(e->data2);
}

// One track chunk of events already in tick order.
void putTrack(std::string &out, const std::vector<TrackEvent> &events, std::optional<std::int32_t> tempo)
{
    std::string body;
    body.reserve(events.size() * 4 + 16); // a delta and three bytes an event, mostly
    if (tempo) {
        body += std::string("\x00\xFF\x51\x03", 4);
        putBe(body, std::uint32_t(*tempo), 3);
    }
    std::int64_t last = 0;
    for (const TrackEvent &e : events) {
        std::int64_t delta = tickOf(e) - last;
        // A longer wait than one quantity holds goes through empty text events.
        for (; delta > MaxDelta; delta -= MaxDelta) {
            putQuantity(body, MaxDelta);
            body += std::string("\xFF\x01\x00", 3);
        }
        putQuantity(body, std::uint32_t(delta));
        putEvent(body, e);
        last = tickOf(e);
    }
    body += std::string("\x00\xFF\x2F\x00", 4);
    out += "MTrk";
    putBe(out, std::uint32_t(body.size()), 4);
    out += body;
}

std::string checkPiece(const EventPiece &piece)
{
    if (piece.format < 0 || piece.format > 2)
        return "format " + std::to_string(piece.format) + " is not 0, 1 or 2";
    if (piece.ticksPerQuarter < 1 || piece.ticksPerQuarter > std::numeric_limits<std::int16_t>::max())
        return "the division of " + std::to_string(piece.ticksPerQuarter)
               + " ticks per quarter note is not within 1 to 32767";
    if (piece.tempo && (*piece.tempo < 1 || *piece.tempo > 0xFFFFFF))
        return "the tempo of " + std::to_string(*piece.tempo)
               + " microseconds per quarter note is not within 1 to 16777215";
    if (piece.trackCount > MaxTracks)
        return "a file holds at most 32767 tracks";
    for (std::size_t i = 0; i < piece.events.size(); ++i)
        if (std::string why = checkEvent(piece.events[i], i, piece.format); !why.empty())
            return why;
    for (std::size_t i = 0; i < piece.metas.size(); ++i)
        if (std::string why = checkMeta(piece.metas[i], i, piece.format); !why.empty())
            return why;
    return {};
}

} // namespace

Result<std::string> midiFileBytes(const EventPiece &piece)
{
    if (const std::string why = checkPiece(piece); !why.empty())
        return failure(why);
    const bool one = piece.format == 0;
    std::int32_t tracks = one ? 1 : std::max(piece.trackCount, 1);
    if (!one) {
        for (const RawEvent &e : piece.events)
            tracks = std::max(tracks, e.track);
        for (const MetaEvent &e : piece.metas)
            tracks = std::max(tracks, e.track);
    }

    // The metas first, so that at one tick they come before the channel events.
    std::vector<std::vector<TrackEvent>> byTrack(static_cast<std::size_t>(tracks));
    for (const MetaEvent &e : piece.metas)
        byTrack[std::size_t(one ? 0 : e.track - 1)].push_back(&e);
    for (const RawEvent &e : piece.events)
        byTrack[std::size_t(one ? 0 : e.track - 1)].push_back(&e);
    std::string out = "MThd";
    putBe(out, 6, 4);
    putBe(out, std::uint32_t(piece.format), 2);
    putBe(out, std::uint32_t(tracks), 2);
    putBe(out, std::uint32_t(piece.ticksPerQuarter), 2);
    for (std::size_t t = 0; t < byTrack.size(); ++t) {
        std::stable_sort(byTrack[t].begin(), byTrack[t].end(),
                         [](const TrackEvent &a, const TrackEvent &b) { return tickOf(a) < tickOf(b); });
        putTrack(out, byTrack[t], t == 0 ? piece.tempo : std::nullopt);
    }
    return out;
}

} // namespace tunedeck
