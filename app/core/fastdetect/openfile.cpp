#include "core/fastdetect/openfile.h"

#include "core/midi/format0split.h"
#include "core/score/scoremidi.h"
#include "core/score/scorespelling.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace tunedeck {

namespace {

// The words a user can act on, for a file that would not open.
std::string whyNotOpened(const std::string &path, int error)
{
    std::error_code ec;
    if (path.empty())
        return "no file chosen";
    if (std::filesystem::is_directory(path, ec))
        return "it is a folder";
    if (!std::filesystem::exists(path, ec) && !ec)
        return std::generic_category().message(ENOENT);
    return error != 0 ? std::generic_category().message(error) : "it cannot be read";
}

OpenResult refused(OpenError kind, std::string reason)
{
    OpenFailure failure;
    failure.kind = kind;
    failure.reason = std::move(reason);
    return Unexpected(std::move(failure));
}

// Why a file that was read is not one a run can time and walk.
std::string formatReason(const MidiFile &midi, bool splitsFormat0)
{
    if (midi.divisionKind() != 0)
        return "it counts time in SMPTE frames (" + std::to_string(midi.divisionKind())
               + " per second), not in ticks per quarter note";
    if (midi.format() == 0 && !splitsFormat0)
        return "it is a format 0 file (one track holding every channel), read only when format 0 files are "
               "read one track per channel";
    if (midi.format() == 2)
        return "it is a format 2 file (separate patterns), which cannot be played as one piece";
    if (midi.format() != 0 && midi.format() != 1)
        return "it is a format " + std::to_string(midi.format()) + " file, which no standard defines";
    if (midi.ticksPerQuarter() <= 0)
        return "its time division of " + std::to_string(midi.ticksPerQuarter())
               + " ticks per quarter note cannot be timed";
    return "it has more tracks than can be counted (" + std::to_string(midi.trackCount()) + ")";
}

// The whole file when its start may be a score's (MusicXML text, or a zip archive, whose
// directory is at its end), else its start; as far as a score may be long, and one byte more
// so the reader can say it is longer.
std::string scoreBytes(std::ifstream &in)
{
    constexpr std::size_t Start = std::size_t(64) << 10;
    in.seekg(0);
    std::string bytes(Start, '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(std::size_t(in.gcount()));
    if (bytes.size() < Start || !(bytes.starts_with("PK\x03\x04") || score::looksLikeScore(bytes)))
        return bytes;
    std::string rest(score::MaxScoreBytes + 1 - Start, '\0');
    in.read(rest.data(), std::streamsize(rest.size()));
    bytes.append(rest, 0, std::size_t(in.gcount()));
    return bytes;
}

} // namespace

int statedQuarters(const MidiFile &file)
{
    // The reader keeps a meta event's first byte, the numerator: enough to tell threes from fours.
    for (const MidiTrack &track : file.tracks())
        for (const MidiEvent &e : track.events)
            if (e.status == 0xFF && e.data1 == 0x58 && e.data2 > 0)
                return e.data2 % 3 == 0 ? 3 : 4;
    return 0;
}

float msPerTick(const MidiFile &file)
{
    const std::int16_t division = file.ticksPerQuarter();
    if (file.divisionKind() != 0 || division <= 0)
        return 0.0f;
    return static_cast<float>(file.tempo() / 1000.0 / division);
}

OpenResult OpenFile::open(const std::string &path, std::string *kept)
{
    std::ifstream in;
    std::error_code ec;
    errno = 0;
    // An open of a FIFO waits for a writer, and a device or socket may never end: such a
    // file is refused before any open. The reader checks again on what it opened.
    const auto status = std::filesystem::status(path, ec);
    if (!path.empty() && !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status)
        && !std::filesystem::is_regular_file(status))
        return refused(OpenError::FileOpen, MidiFile::NotRegularFile);
    // A folder opens as a stream on some systems but is no file to read.
    if (!path.empty() && !std::filesystem::is_directory(status))
        in.open(path, std::ios::binary);
    if (!in.is_open())
        return refused(OpenError::FileOpen, whyNotOpened(path, errno));
    char tag[4] = {'.', '.', '.', '.'}; // a shorter file keeps the dots and fails the check
    in.read(tag, 4);
    if (std::string_view(tag, 4) != "MThd") {
        std::string bytes = scoreBytes(in);
        if (!score::looksLikeScore(bytes))
            return refused(OpenError::InvalidHeader, NoMidiHeader);
        const OpenResult read = acceptScore(bytes);
        if (read && kept)
            *kept = std::move(bytes);
        return read;
    }
    in.close();
    return accept(midi_.load(path, kept));
}

OpenResult OpenFile::openBytes(std::string_view bytes)
{
    if (bytes.substr(0, 4) != "MThd")
        return score::looksLikeScore(bytes) ? acceptScore(bytes) : refused(OpenError::InvalidHeader, NoMidiHeader);
    return accept(midi_.loadFromBytes(bytes));
}

OpenResult OpenFile::acceptScore(std::string_view bytes)
{
    if (splitFormat0_)
        return refused(OpenError::FormatNotSupported,
                       "it is a score, which the reading of format 0 files one track per channel does not apply to");
    const Result<score::Score> read = score::readScore(bytes, scoreOptions_);
    if (!read)
        return refused(OpenError::Reader, read.error().reason);
    const OpenResult opened = accept(midi_.loadFromBytes(score::midiBytes(*read)));
    wasScore_ = bool(opened);
    spelling_ = opened ? std::make_shared<const ScoreSpelling>(score::spellingOf(*read)) : nullptr;
    placed_ = opened ? read->placed : nullptr;
    layout_ = opened ? std::make_shared<const score::ScoreLayout>(score::layoutOf(*read)) : nullptr;
    return opened;
}

OpenResult OpenFile::accept(const Result<> &read)
{
    if (!read)
        return refused(OpenError::Reader, read.error().reason);
    const bool split = splitFormat0_ && isSplittableFormat0();
    if (split)
        midi_.replaceTracks(splitFormat0(midi_));
    else if (midi_.format() != 1 || midi_.divisionKind() != 0)
        return refused(OpenError::FormatNotSupported, formatReason(midi_, splitFormat0_));
    // A division of 0 would divide by zero, and more than 32767 tracks do not fit the
    // 16-bit count: neither is a file we can time or walk.
    const std::int16_t division = midi_.ticksPerQuarter();
    if (division <= 0 || midi_.trackCount() < 0)
        return refused(OpenError::FormatNotSupported, formatReason(midi_, splitFormat0_));
    msPerTick_ = tunedeck::msPerTick(midi_);
    ticksPerQuarter_ = division;
    trackCount_ = midi_.trackCount();
    wasSplit_ = split;
    wasScore_ = false;
    spelling_.reset();
    placed_.reset();
    layout_.reset();
    return {};
}

bool OpenFile::isSplittableFormat0() const
{
    return midi_.ok() && midi_.format() == 0 && midi_.divisionKind() == 0;
}

std::optional<TrackRange> OpenFile::tracks(const TrackChoice &choice) const
{
    if (choice.all)
        return TrackRange{2, trackCount_};
    // With no item chosen the position is -1, which gives track 1.
    const std::int32_t track = choice.position + 2;
    if (track > trackCount_)
        return std::nullopt;
    return TrackRange{track, track};
}

} // namespace tunedeck
