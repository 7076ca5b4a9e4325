#include "collection/keysignatures.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tunedeck::collection {

namespace {

constexpr std::uint32_t MaxDelta = 0x0FFFFFFF; // four bytes of variable-length quantity

// One event of a track as the file holds it.
struct Event {
    std::uint64_t tick = 0;
    std::string bytes; // after the delta time, without the status byte when it ran on
    std::uint8_t status = 0;
    bool ranOn = false;   // the file left the status byte out (running status)
    bool inserted = false;
    bool keySignature = false;
    bool endOfTrack = false;
};

struct Track {
    std::vector<Event> events;
    std::string tail; // bytes after End of Track, which readers skip; kept as they were
};

std::uint32_t be32(const unsigned char *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::string be32Text(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
}

bool readVlq(std::string_view body, std::size_t &p, std::uint32_t &value)
{
    value = 0;
    for (int i = 0; i < 4 && p < body.size(); ++i) {
        const auto byte = static_cast<unsigned char>(body[p++]);
        value = value << 7 | (byte & 0x7F);
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

void appendVlq(std::string &out, std::uint32_t v)
{
    char buf[4];
    int n = 0;
    buf[n++] = char(v & 0x7F);
    while (v >>= 7)
        buf[n++] = char(0x80 | (v & 0x7F));
    while (n)
        out += buf[--n];
}

// Splits a track chunk's body into events the way the MIDI file reader reads them.
bool parseTrack(std::string_view body, Track &track)
{
    std::size_t p = 0;
    std::uint8_t running = 0;
    std::uint64_t tick = 0;
    while (p < body.size()) {
        Event ev;
        std::uint32_t delta = 0;
        if (!readVlq(body, p, delta) || p == body.size())
            return false;
        ev.tick = tick += delta;
        const std::size_t start = p;
        ev.status = static_cast<std::uint8_t>(body[p]);
        if (ev.status < 0x80) {
            if (!running)
                return false;
            ev.status = running;
            ev.ranOn = true;
        } else {
            ++p;
        }
        std::uint32_t length = 0;
        if (ev.status < 0xF0) {
            running = ev.status;
            length = (ev.status & 0xE0) == 0xC0 ? 1 : 2;
        } else if (ev.status == 0xFF) {
            if (p == body.size())
                return false;
            const auto type = static_cast<std::uint8_t>(body[p++]);
            ev.keySignature = type == 0x59;
            ev.endOfTrack = type == 0x2F;
            if (!readVlq(body, p, length))
                return false;
        } else if (ev.status == 0xF0 || ev.status == 0xF7) {
            running = 0;
            if (!readVlq(body, p, length))
                return false;
        } else {
            return false;
        }
        if (length > body.size() - p)
            return false;
        p += length;
        ev.bytes.assign(body.substr(start, p - start));
        track.events.push_back(std::move(ev));
        if (track.events.back().endOfTrack) {
            track.tail.assign(body.substr(p));
            break;
        }
    }
    return true;
}

// A status byte left out by the file stays out while the event before it is still the
// one that set it; after a new event it is written, as every reader understands that.
bool encodeTrack(const Track &track, std::string &body)
{
    std::uint64_t previous = 0;
    std::uint8_t running = 0;
    bool afterInserted = false;
    for (const Event &ev : track.events) {
        if (ev.tick - previous > MaxDelta)
            return false;
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
    return true;
}

Event keySignatureEvent(std::uint64_t tick, KeySignature sig)
{
    Event ev;
    ev.tick = tick;
    ev.status = 0xFF;
    ev.inserted = true;
    ev.keySignature = true;
    ev.bytes = {char(0xFF), char(0x59), char(2), char(std::int8_t(sig.sharpsOrFlats)), char(sig.minor ? 1 : 0)};
    return ev;
}

// The track without its key signatures, and with `added` merged in by tick.
Track rebuilt(const Track &track, const std::vector<Event> &added)
{
    Track out;
    out.tail = track.tail;
    std::optional<Event> end;
    auto next = added.begin();
    for (const Event &ev : track.events) {
        if (ev.keySignature)
            continue;
        if (ev.endOfTrack) {
            end = ev;
            continue;
        }
        for (; next != added.end() && next->tick < ev.tick; ++next)
            out.events.push_back(*next);
        out.events.push_back(ev);
    }
    out.events.insert(out.events.end(), next, added.end());
    if (end) {
        end->tick = std::max(end->tick, out.events.empty() ? 0 : out.events.back().tick);
        out.events.push_back(*end);
    }
    return out;
}

std::string text(const fs::path &p)
{
#ifdef _WIN32
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
#else
    return p.native();
#endif
}

} // namespace

Rewrite withKeySignatures(std::string_view file, std::vector<KeyPoint> points)
{
    const auto *data = reinterpret_cast<const unsigned char *>(file.data());
    const std::size_t size = file.size();
    if (size < 14 || file.substr(0, 4) != "MThd" || be32(data + 4) < 6 || be32(data + 4) > size - 8)
        return {{}, "not a MIDI file"};
    const std::size_t announced = std::size_t(data[10]) << 8 | data[11];

    std::stable_sort(points.begin(), points.end(), [](const KeyPoint &a, const KeyPoint &b) { return a.tick < b.tick; });
    std::vector<Event> added;
    for (const KeyPoint &point : points) {
        const std::optional<KeySignature> sig = keySignatureFor(point.keyCode);
        if (!sig)
            continue;
        if (!added.empty() && added.back().tick == point.tick)
            added.pop_back(); // the later point at one tick wins
        added.push_back(keySignatureEvent(point.tick, *sig));
    }

    Rewrite out;
    std::size_t pos = 8 + std::size_t(be32(data + 4));
    out.bytes.assign(file.substr(0, pos));
    std::size_t tracks = 0;
    while (tracks < announced && pos < size) {
        if (size - pos < 8 || be32(data + pos + 4) > size - pos - 8)
            return {{}, "file ends inside a chunk"};
        const std::size_t length = be32(data + pos + 4);
        const std::string_view chunk = file.substr(pos, 8 + length);
        pos += 8 + length;
        if (chunk.substr(0, 4) != "MTrk") {
            out.bytes += chunk; // a chunk of another kind, as it was
            continue;
        }
        Track track;
        if (!parseTrack(chunk.substr(8), track))
            return {{}, "track " + std::to_string(tracks + 1) + " cannot be read"};
        const bool first = tracks++ == 0;
        const bool hadSignature = std::any_of(track.events.begin(), track.events.end(),
                                              [](const Event &e) { return e.keySignature; });
        if (!first && !hadSignature) {
            out.bytes += chunk;
            continue;
        }
        std::string body;
        if (!encodeTrack(rebuilt(track, first ? added : std::vector<Event>{}), body))
            return {{}, "a key signature lies too far from the event before it"};
        out.bytes += "MTrk" + be32Text(std::uint32_t(body.size())) + body;
    }
    if (tracks == 0)
        return {{}, "the file has no track"};
    out.bytes += file.substr(pos); // what follows the announced tracks, as it was
    return out;
}

bool writeFileReplacing(const fs::path &target, std::string_view bytes, std::string &error, const BlockWriter &write)
{
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const int pid = _getpid();
#else
    const int pid = int(getpid());
#endif
    // Hidden, and named apart from any other writer's.
    fs::path name(".");
    name += target.filename();
    name += ".part-" + std::to_string(pid) + "-" + std::to_string(counter++);
    fs::path temp = target;
    temp.replace_filename(name);
#ifdef _WIN32
    std::FILE *f = _wfopen(temp.c_str(), L"wb");
#else
    std::FILE *f = std::fopen(temp.c_str(), "wb");
#endif
    if (!f) {
        error = "cannot write " + text(temp);
        return false;
    }
    bool ok = write ? write(f, bytes) : std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok)
        fs::rename(temp, target, ec);
    if (!ok || ec) {
        fs::remove(temp, ec);
        error = "cannot write " + text(target);
        return false;
    }
    return true;
}

bool writeKeySignatureCopy(const std::string &source, const std::string &relative, const std::string &outputDir,
                           const std::vector<KeyPoint> &points, std::string &error)
{
    const fs::path rel(relative);
    if (rel.empty() || rel.is_absolute()
        || std::any_of(rel.begin(), rel.end(), [](const fs::path &part) { return part == ".."; })) {
        error = "cannot place " + relative + " under " + outputDir;
        return false;
    }
    const fs::path target = fs::path(outputDir) / rel;
    std::error_code ec;
    if (fs::equivalent(target, source, ec)) {
        error = "will not write over the source file " + source;
        return false;
    }
    std::ifstream in(source, std::ios::binary);
    std::ostringstream bytes;
    if (!(bytes << in.rdbuf())) {
        error = "cannot read " + source;
        return false;
    }
    const Rewrite rewrite = withKeySignatures(bytes.str(), points);
    if (!rewrite.error.empty()) {
        error = source + ": " + rewrite.error;
        return false;
    }
    fs::create_directories(target.parent_path(), ec);
    return writeFileReplacing(target, rewrite.bytes, error);
}

} // namespace tunedeck::collection
