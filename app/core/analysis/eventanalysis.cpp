#include "core/analysis/eventanalysis.h"

#include <algorithm>
#include <limits>

namespace tunedeck {

namespace {

constexpr std::int64_t MaxTick = std::numeric_limits<std::int32_t>::max(); // the reader's limit
constexpr std::uint32_t MaxDelta = 0x0FFFFFFF;                             // four bytes of a quantity
constexpr std::int32_t MaxTracks = std::numeric_limits<std::int16_t>::max();

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
    const std::string at = "event " + std::to_string(index) + ": ";
    if (e.tick < 0 || e.tick > MaxTick)
        return at + "tick " + std::to_string(e.tick) + " is not within 0 to 2147483647";
    if (e.status < 0x80 || e.status > 0xEF)
        return at + "status " + std::to_string(e.status) + " is no channel message (128 to 239)";
    if (e.data1 < 0 || e.data1 > 127 || e.data2 < 0 || e.data2 > 127)
        return at + "a data byte is not within 0 to 127";
    if (format != 0 && (e.track < 1 || e.track > MaxTracks))
        return at + "track " + std::to_string(e.track) + " is not within 1 to 32767";
    return {};
}

// One track chunk of events already in tick order.
void putTrack(std::string &out, const std::vector<const RawEvent *> &events, std::optional<std::int32_t> tempo)
{
    std::string body;
    if (tempo) {
        body += std::string("\x00\xFF\x51\x03", 4);
        putBe(body, std::uint32_t(*tempo), 3);
    }
    std::int64_t last = 0;
    for (const RawEvent *e : events) {
        std::int64_t delta = e->tick - last;
        // A longer wait than one quantity holds goes through empty text events.
        for (; delta > MaxDelta; delta -= MaxDelta) {
            putQuantity(body, MaxDelta);
            body += std::string("\xFF\x01\x00", 3);
        }
        putQuantity(body, std::uint32_t(delta));
        body += char(e->status);
        body += char(e->data1);
        if ((e->status & 0xE0) != 0xC0)
            body += char(e->data2);
        last = e->tick;
    }
    body += std::string("\x00\xFF\x2F\x00", 4);
    out += "MTrk";
    putBe(out, std::uint32_t(body.size()), 4);
    out += body;
}

} // namespace

Result<std::string> midiFileBytes(const EventPiece &piece)
{
    if (piece.format < 0 || piece.format > 2)
        return failure("format " + std::to_string(piece.format) + " is not 0, 1 or 2");
    if (piece.ticksPerQuarter < 1 || piece.ticksPerQuarter > std::numeric_limits<std::int16_t>::max())
        return failure("the division of " + std::to_string(piece.ticksPerQuarter)
                       + " ticks per quarter note is not within 1 to 32767");
    if (piece.tempo && (*piece.tempo < 1 || *piece.tempo > 0xFFFFFF))
        return failure("the tempo of " + std::to_string(*piece.tempo)
                       + " microseconds per quarter note is not within 1 to 16777215");
    if (piece.trackCount > MaxTracks)
        return failure("a file holds at most 32767 tracks");
    std::int32_t tracks = piece.format == 0 ? 1 : std::max(piece.trackCount, 1);
    for (std::size_t i = 0; i < piece.events.size(); ++i) {
        if (const std::string why = checkEvent(piece.events[i], i, piece.format); !why.empty())
            return failure(why);
        if (piece.format != 0)
            tracks = std::max(tracks, piece.events[i].track);
    }

    std::vector<std::vector<const RawEvent *>> byTrack(static_cast<std::size_t>(tracks));
    for (const RawEvent &e : piece.events)
        byTrack[std::size_t(piece.format == 0 ? 0 : e.track - 1)].push_back(&e);
    std::string out = "MThd";
    putBe(out, 6, 4);
    putBe(out, std::uint32_t(piece.format), 2);
    putBe(out, std::uint32_t(tracks), 2);
    putBe(out, std::uint32_t(piece.ticksPerQuarter), 2);
    for (std::size_t t = 0; t < byTrack.size(); ++t) {
        std::stable_sort(byTrack[t].begin(), byTrack[t].end(),
                         [](const RawEvent *a, const RawEvent *b) { return a->tick < b->tick; });
        putTrack(out, byTrack[t], t == 0 ? piece.tempo : std::nullopt);
    }
    return out;
}

Result<FileAnalysis> analyseEvents(TonalyteEngine &engine, const EventPiece &piece, const AnalysisChoices &choices)
{
    Result<std::string> bytes = midiFileBytes(piece);
    if (!bytes)
        return Unexpected(bytes.error());
    return analyseBytes(engine, *bytes, choices);
}

} // namespace tunedeck
