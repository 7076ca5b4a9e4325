#include "fastdetect/midifile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>
#include <utility>

namespace tunedeck {

namespace {

constexpr int32_t DefaultTempo = 500000;
constexpr uint64_t MaxTicks = std::numeric_limits<int32_t>::max();

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

std::string hexByte(unsigned value)
{
    static const char digits[] = "0123456789ABCDEF";
    return {'0', 'x', digits[(value >> 4) & 0xF], digits[value & 0xF]};
}

// Reads the events of one track chunk. Every read is checked against the chunk end, and
// the chunk itself lies inside the file, so hostile lengths cannot reach past the buffer.
class TrackReader {
public:
    TrackReader(const unsigned char *begin, const unsigned char *end, int number)
        : m_p(begin), m_end(end), m_number(std::to_string(number))
    {
    }

    // Fills `track`; returns an empty string or the reason the track is unreadable.
    // `tempo` receives the first well-formed Set Tempo unless it already holds one.
    std::string read(MidiTrack &track, int32_t &tempo, bool &haveTempo)
    {
        // A note event takes about four bytes; the guess only avoids regrowing.
        track.events.reserve(std::size_t(m_end - m_p) / 4 + 1);
        uint8_t running = 0;
        uint64_t ticks = 0;
        while (m_p < m_end) {
            MidiEvent ev;
            if (!readVlq(ev.delta))
                return m_error;
            // The program sums delta times in a 32-bit signed integer.
            ticks += ev.delta;
            if (ticks > MaxTicks)
                return "track " + m_number + " runs past 2147483647 ticks";
            if (m_p == m_end)
                return endsInsideEvent();

            uint8_t status = *m_p;
            if (status < 0x80) {
                if (running == 0)
                    return "running status with no status before it in track " + m_number;
                status = running;
            } else {
                ++m_p;
            }
            ev.status = status;

            if (status < 0xF0) {
                running = status;
                const bool oneDataByte = (status & 0xE0) == 0xC0; // program change, channel pressure
                if (!readDataByte(ev.data1) || (!oneDataByte && !readDataByte(ev.data2)))
                    return m_error;
                track.events.push_back(ev);
            } else if (status == 0xFF) {
                if (m_p == m_end)
                    return endsInsideEvent();
                ev.data1 = *m_p++;
                uint32_t length = 0;
                if (!readLength(length))
                    return m_error;
                if (length > 0)
                    ev.data2 = m_p[0];
                if (ev.data1 == 0x51 && length == 3 && !haveTempo) {
                    tempo = int32_t(uint32_t(m_p[0]) << 16 | uint32_t(m_p[1]) << 8 | m_p[2]);
                    haveTempo = true;
                }
                m_p += length;
                track.events.push_back(ev);
                // Meta events leave running status as it is: they are not sent to a
                // device, and files that rely on running status across them exist.
                if (ev.data1 == 0x2F)
                    break; // End of Track: anything after it in the chunk is ignored
            } else if (status == 0xF0 || status == 0xF7) {
                uint32_t length = 0;
                if (!readLength(length))
                    return m_error;
                m_p += length;
                track.events.push_back(ev);
                running = 0; // a system-exclusive message cancels running status on the wire
            } else {
                return "unexpected status byte " + hexByte(status) + " in track " + m_number;
            }
        }
        return {};
    }

private:
    std::string endsInsideEvent() const { return "track " + m_number + " ends inside an event"; }

    // A variable-length quantity of at most four bytes.
    bool readVlq(uint32_t &value, const char *what = "delta time")
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (m_p == m_end) {
                m_error = endsInsideEvent();
                return false;
            }
            const uint8_t byte = *m_p++;
            value = value << 7 | (byte & 0x7F);
            if (!(byte & 0x80))
                return true;
        }
        m_error = std::string(what) + " longer than 4 bytes in track " + m_number;
        return false;
    }

    // The length of a meta or system-exclusive event, whose data must lie inside the chunk.
    bool readLength(uint32_t &length)
    {
        if (!readVlq(length, "event length"))
            return false;
        if (length > std::size_t(m_end - m_p)) {
            m_error = endsInsideEvent();
            return false;
        }
        return true;
    }

    bool readDataByte(uint8_t &value)
    {
        if (m_p == m_end) {
            m_error = endsInsideEvent();
            return false;
        }
        value = *m_p++;
        if (value > 0x7F) {
            m_error = "data byte above 127 in track " + m_number;
            return false;
        }
        return true;
    }

    const unsigned char *m_p;
    const unsigned char *const m_end;
    const std::string m_number;
    std::string m_error;
};

} // namespace

void MidiFile::setErrorHandler(ErrorHandler handler)
{
    m_errorHandler = std::move(handler);
}

void MidiFile::setFileName(const std::string &path)
{
    m_fileName = path;
}

const std::string &MidiFile::fileName() const
{
    return m_fileName;
}

void MidiFile::reset()
{
    m_stage = Stage::Empty;
    m_bytes.clear();
    m_error.clear();
    m_format = 0;
    m_division = 0;
    m_tempo = DefaultTempo;
    m_tracks.clear();
    m_track = nullptr;
    m_event = nullptr;
}

void MidiFile::fail(std::string reason)
{
    reset();
    std::string().swap(m_bytes);
    m_stage = Stage::Failed;
    m_error = reason;
    // The handler gets its own copy: it may well start another load.
    if (m_errorHandler)
        m_errorHandler(reason);
}

void MidiFile::load()
{
    reset();
    if (m_fileName.empty())
        return fail("no file name given");

    std::error_code ec;
    const std::filesystem::path path(m_fileName);
    if (std::filesystem::is_directory(path, ec))
        return fail("cannot read " + m_fileName + ": it is a folder");
    // Refuse a large file before reading any of it; the read below still stops at the
    // limit for files whose size is not known beforehand.
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > MaxFileSize)
        return fail(sizeLimitText());

    errno = 0;
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(m_fileName.c_str(), "rb"),
                                                                &std::fclose);
    if (!file)
        return fail("cannot open " + m_fileName + ": " + std::generic_category().message(errno));

    std::string bytes;
    if (!ec)
        bytes.reserve(std::size_t(size));
    char block[65536];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file.get());
        bytes.append(block, got);
        if (bytes.size() > MaxFileSize)
            return fail(sizeLimitText());
        if (got < sizeof block)
            break;
    }
    if (std::ferror(file.get()))
        return fail("cannot read " + m_fileName);

    m_bytes = std::move(bytes);
    m_stage = Stage::Loaded;
}

void MidiFile::parse()
{
    if (m_stage == Stage::Empty)
        return fail("no file loaded");
    if (m_stage != Stage::Loaded)
        return; // a failed load has been reported already; a loaded file is parsed once
    const std::string bytes = std::move(m_bytes);
    m_bytes.clear();
    parseBytes(bytes);
}

bool MidiFile::loadFromBytes(std::string_view bytes)
{
    reset();
    if (bytes.size() > MaxFileSize)
        fail(sizeLimitText());
    else
        parseBytes(bytes);
    return ok();
}

void MidiFile::parseBytes(std::string_view bytes)
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
    if (announced > std::numeric_limits<int16_t>::max())
        return fail("the header announces " + std::to_string(announced) + " tracks; at most 32767 are supported");

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
        pos += 8;
        if (length > size - pos)
            return fail(isTrack ? "file ends inside track " + number
                                : "file ends inside an unknown chunk before track " + number);
        if (isTrack) {
            tracks.emplace_back();
            std::string error = TrackReader(data + pos, data + pos + length, int(tracks.size()))
                                    .read(tracks.back(), tempo, haveTempo);
            if (!error.empty())
                return fail(std::move(error));
        }
        // Chunks of unknown type are skipped whole.
        pos += length;
    }

    // Chunks after the announced tracks are ignored.
    m_format = format;
    m_division = division;
    m_tempo = tempo;
    m_tracks = std::move(tracks);
    m_stage = Stage::Parsed;
}

bool MidiFile::ok() const
{
    return m_stage == Stage::Parsed;
}

const std::string &MidiFile::errorMessage() const
{
    return m_error;
}

int16_t MidiFile::format() const
{
    return m_format;
}

int32_t MidiFile::divisionKind() const
{
    // SMPTE divisions hold minus the frame rate in the high byte; report the frame rate.
    if (!(m_division & 0x8000))
        return 0;
    return -int32_t(int8_t(m_division >> 8));
}

int16_t MidiFile::ticksPerQuarter() const
{
    return int16_t(m_division);
}

int32_t MidiFile::tempo() const
{
    return m_tempo;
}

int16_t MidiFile::trackCount() const
{
    return int16_t(m_tracks.size());
}

void MidiFile::setTrack(int32_t track)
{
    m_event = nullptr;
    m_track = track >= 1 && std::size_t(track) <= m_tracks.size() ? &m_tracks[std::size_t(track) - 1] : nullptr;
}

int32_t MidiFile::eventCount() const
{
    return m_track ? int32_t(m_track->events.size()) : 0;
}

void MidiFile::setEvent(int32_t event)
{
    m_event = m_track && event >= 1 && std::size_t(event) <= m_track->events.size()
        ? &m_track->events[std::size_t(event) - 1]
        : nullptr;
}

int32_t MidiFile::deltaTime() const
{
    return m_event ? int32_t(m_event->delta) : 0;
}

int MidiFile::status() const
{
    return m_event ? m_event->status : 0;
}

int MidiFile::data1() const
{
    return m_event ? m_event->data1 : 0;
}

int MidiFile::data2() const
{
    return m_event ? m_event->data2 : 0;
}

const std::vector<MidiTrack> &MidiFile::tracks() const
{
    return m_tracks;
}

} // namespace tunedeck
