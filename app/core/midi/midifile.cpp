#include "core/midi/midifile.h"

#include "core/midi/trackreader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunedeck {

namespace {

constexpr int32_t DefaultTempo = 500000;

std::string sizeLimitText()
{
    return "file is larger than " + std::to_string(MidiFile::MaxFileSize / (1024 * 1024)) + " MiB";
}

uint32_t readBe32(const unsigned char *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint16_t readBe16(const unsigned char *p)
{
    return uint16_t(p[0] << 8 | p[1]);
}

} // namespace

Result<> MidiFile::fail(std::string reason)
{
    *this = MidiFile();
    return failure(std::move(reason));
}

Result<> MidiFile::load(const std::string &path, std::string *kept)
{
    if (path.empty())
        return fail("no file name given");

    std::error_code ec;
    const std::filesystem::path file(path);
    if (std::filesystem::is_directory(file, ec))
        return fail("cannot read " + path + ": it is a folder");
    // Refuse a large file before reading any of it; the read below still stops at the
    // limit for files whose size is not known beforehand.
    const auto size = std::filesystem::file_size(file, ec);
    if (!ec && size > MaxFileSize)
        return fail(sizeLimitText());

    // A FIFO, device or socket could block the open or the read for ever: only regular
    // files are read, checked before the open and again on what was opened.
    struct stat before {};
    if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode))
        return fail("cannot read " + path + ": " + NotRegularFile);
    errno = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail("cannot open " + path + ": " + std::generic_category().message(errno));
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return fail("cannot read " + path + ": " + NotRegularFile);
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> in(::fdopen(fd, "rb"), &std::fclose);
    if (!in) {
        ::close(fd);
        return fail("cannot open " + path + ": " + std::generic_category().message(errno));
    }

    std::string bytes;
    if (!ec)
        bytes.reserve(std::size_t(size));
    char block[65536];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, in.get());
        bytes.append(block, got);
        if (bytes.size() > MaxFileSize)
            return fail(sizeLimitText());
        if (got < sizeof block)
            break;
    }
    if (std::ferror(in.get()))
        return fail("cannot read " + path);
    Result<> parsed = parseBytes(bytes, Keep::Events);
    if (kept)
        *kept = std::move(bytes);
    return parsed;
}

Result<> MidiFile::loadFromBytes(std::string_view bytes, Keep keep)
{
    if (bytes.size() > MaxFileSize)
        return fail(sizeLimitText());
    return parseBytes(bytes, keep);
}

Result<> MidiFile::parseBytes(std::string_view bytes, Keep keep)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const std::size_t size = bytes.size();

    if (size == 0)
        return fail("file is empty");
    if (std::string_view("MThd").substr(0, size) != bytes.substr(0, 4))
        return fail("not a MIDI file (header is not MThd)");
    if (size < 14)
        return fail("file ends inside the header");
    const uint32_t headerLength = readBe32(data + 4);
    if (headerLength < 6)
        return fail("header chunk is too short (" + std::to_string(headerLength) + " bytes, 6 needed)");
    if (headerLength > size - 8)
        return fail("file ends inside the header");

    const int16_t format = int16_t(readBe16(data + 8));
    const uint16_t announced = readBe16(data + 10);
    const uint16_t division = readBe16(data + 12);
    // trackCount() is 16-bit signed, so a larger count could not be reported.
    if (announced == 0)
        return fail("the header announces no tracks");
    if (announced > std::numeric_limits<int16_t>::max())
        return fail("the header announces " + std::to_string(announced) + " tracks; at most 32767 are supported");

    std::vector<MidiChunk> chunks{{"MThd", 0, headerLength}};
    std::vector<MidiTrack> tracks;
    // Every chunk takes at least 8 bytes, which bounds what a hostile header can reserve.
    tracks.reserve(std::min<std::size_t>(announced, (size - 8 - headerLength) / 8));
    int32_t tempo = DefaultTempo;
    bool haveTempo = false;
    std::size_t pos = 8 + std::size_t(headerLength); // extra header bytes are skipped
    while (tracks.size() < announced) {
        const std::string number = std::to_string(tracks.size() + 1);
        if (pos == size)
            return fail("track " + number + " is missing: the header announces " + std::to_string(announced)
                        + " tracks but the file holds " + std::to_string(tracks.size()));
        if (size - pos < 8)
            return fail("file ends inside track " + number);
        const bool isTrack = bytes.substr(pos, 4) == "MTrk";
        const uint32_t length = readBe32(data + pos + 4);
        chunks.push_back({std::string(bytes.substr(pos, 4)), pos, length});
        pos += 8;
        if (length > size - pos)
            return fail(isTrack ? "file ends inside track " + number
                                : "file ends inside an unknown chunk before track " + number);
        if (isTrack) {
            tracks.emplace_back();
            std::string error = readTrackChunk(data + pos, data + pos + length, int(tracks.size()), tracks.back(),
                                               tempo, haveTempo, keep == Keep::Places ? data : nullptr);
            if (!error.empty())
                return fail(std::move(error));
        }
        // Chunks of unknown type are skipped whole.
        pos += length;
    }

    // Chunks after the announced tracks are ignored.
    ok_ = true;
    format_ = format;
    division_ = division;
    tempo_ = tempo;
    tracks_ = std::move(tracks);
    chunks_ = std::move(chunks);
    return {};
}

bool MidiFile::ok() const
{
    return ok_;
}

int16_t MidiFile::format() const
{
    return format_;
}

int32_t MidiFile::divisionKind() const
{
    // SMPTE divisions hold minus the frame rate in the high byte; report the frame rate.
    if (!(division_ & 0x8000))
        return 0;
    return -int32_t(int8_t(division_ >> 8));
}

int16_t MidiFile::ticksPerQuarter() const
{
    return int16_t(division_);
}

int32_t MidiFile::tempo() const
{
    return tempo_;
}

int16_t MidiFile::trackCount() const
{
    return int16_t(tracks_.size());
}

const std::vector<MidiTrack> &MidiFile::tracks() const
{
    return tracks_;
}

const std::vector<MidiChunk> &MidiFile::chunks() const
{
    return chunks_;
}

void MidiFile::replaceTracks(std::vector<MidiTrack> tracks)
{
    if (!ok())
        return;
    tracks_ = std::move(tracks);
}

} // namespace tunedeck
