#include "collection/keysignatures.h"

#include "midi/midifile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <fstream>
#include <sstream>
#include <unordered_map>
#include <system_error>

#ifdef _WIN32
#include <QSaveFile>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tunedeck::collection {

namespace {

constexpr std::uint32_t MaxDelta = 0x0FFFFFFF; // four bytes of variable-length quantity

// One event of the track written again: as the file holds it, or a new key signature.
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

bool isKeySignature(const MidiEvent &e)
{
    return isMeta(e, 0x59);
}

std::string be32Text(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
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
    ev.bytes = {char(0xFF), char(0x59), char(2), char(std::int8_t(sig.sharpsOrFlats)), char(sig.minor ? 1 : 0)};
    return ev;
}

// The track of `chunk` in `file`, as the reader placed its events, without its key
// signatures and with `added` merged in by tick.
Track rebuilt(std::string_view file, const MidiChunk &chunk, const MidiTrack &track, const std::vector<Event> &added)
{
    Track out;
    std::optional<Event> end;
    auto next = added.begin();
    std::uint64_t tick = 0;
    for (std::size_t i = 0; i < track.events.size(); ++i) {
        const MidiEvent &e = track.events[i];
        const EventBytes &place = track.places[i];
        tick += e.delta;
        if (isKeySignature(e))
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

Result<std::string> withKeySignatures(std::string_view file, std::vector<KeyPoint> points)
{
    MidiFile midi;
    if (const Result<> read = midi.loadFromBytes(file, MidiFile::Keep::Places); !read)
        return Unexpected(read.error());
    if (midi.tracks().empty())
        return failure("the file has no track");

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

    // Only the track chunks written again change; every byte between them is copied.
    std::string out;
    std::size_t copied = 0;
    std::size_t number = 0;
    for (const MidiChunk &chunk : midi.chunks()) {
        if (chunk.type != "MTrk")
            continue;
        const MidiTrack &track = midi.tracks()[number];
        const bool first = number++ == 0;
        if (!first && std::none_of(track.events.begin(), track.events.end(), isKeySignature))
            continue;
        std::string body;
        if (!encodeTrack(rebuilt(file, chunk, track, first ? added : std::vector<Event>{}), body))
            return failure("a key signature lies too far from the event before it");
        out += file.substr(copied, chunk.offset - copied);
        out += "MTrk" + be32Text(std::uint32_t(body.size())) + body;
        copied = chunk.end();
    }
    out += file.substr(copied); // what follows the last chunk written again, as it was
    return out;
}

Result<> writeFileReplacing(const fs::path &target, std::string_view bytes, const BlockWriter &write)
{
#ifdef _WIN32
    // No O_NOFOLLOW there; QSaveFile writes beside the target and renames it into place.
    QSaveFile file(QString::fromStdWString(target.wstring()));
    const qint64 size = qint64(bytes.size());
    if (!file.open(QIODevice::WriteOnly) || !(write ? write(file, bytes) : file.write(bytes.data(), size) == size)
        || !file.commit())
        return failure("cannot write " + text(target) + ": " + file.errorString().toStdString());
    return {};
#else
    // A temporary file beside the target, made with O_EXCL so that nothing planted at its
    // name (a link above all) is opened, then renamed over the target: rename replaces a
    // link found there by the copy and never writes through it.
    const std::string copy = text(target);
    std::random_device random;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", unsigned(random()));
        temporary = (target.parent_path() / ("." + target.filename().string() + suffix + ".tmp")).string();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return failure("cannot write " + copy + ": " + std::strerror(errno));
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return failure("cannot write " + copy);
    }
    const qint64 size = qint64(bytes.size());
    errno = 0;
    bool written = write ? write(file, bytes) : file.write(bytes.data(), size) == size;
    written = file.flush() && ::fsync(file.handle()) == 0 && written; // complete before it takes the name
    const int writeError = errno;
    file.close();
    if (!written) {
        ::unlink(temporary.c_str());
        return failure("cannot write " + copy + ": " + std::strerror(writeError ? writeError : EIO));
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return failure("cannot write " + copy + ": " + std::strerror(renameError));
    }
    return {};
#endif
}

namespace {

// Where the copy of `relative` goes, or nothing when it would leave outputDir.
std::optional<fs::path> copyPath(const std::string &relative, const std::string &outputDir)
{
    const fs::path rel(relative);
    if (rel.empty() || rel.is_absolute()
        || std::any_of(rel.begin(), rel.end(), [](const fs::path &part) { return part == ".."; }))
        return std::nullopt;
    return (fs::path(outputDir) / rel).lexically_normal();
}

} // namespace

void markSharedCopies(std::vector<FileEntry> &entries, const std::string &outputDir)
{
    std::unordered_map<std::string, std::size_t> first;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::optional<fs::path> target = copyPath(entries[i].relative, outputDir);
        if (!target)
            continue;
        const auto [at, added] = first.emplace(target->native(), i);
        if (!added)
            entries[i].sameCopyAs = entries[at->second].path;
    }
}

Result<> writeKeySignatureCopy(const FileEntry &entry, const std::string &outputDir, const std::vector<KeyPoint> &points)
{
    const std::string &source = entry.path;
    if (!copyPath(entry.relative, outputDir))
        return failure("cannot place " + entry.relative + " under " + outputDir);
    const fs::path target = fs::path(outputDir) / entry.relative;
    if (!entry.sameCopyAs.empty())
        return failure("copy " + text(target) + " is taken by " + entry.sameCopyAs);
    std::error_code ec;
    if (fs::equivalent(target, source, ec))
        return failure("will not write over the source file " + source);
    std::ifstream in(source, std::ios::binary);
    std::ostringstream bytes;
    if (!(bytes << in.rdbuf()))
        return failure("cannot read " + source);
    const Result<std::string> copy = withKeySignatures(bytes.str(), points);
    if (!copy)
        return failure(source + ": " + copy.error().reason);
    if (fs::create_directories(target.parent_path(), ec); ec)
        return failure("cannot write " + text(target) + ": " + ec.message());
    return writeFileReplacing(target, *copy);
}

} // namespace tunedeck::collection
