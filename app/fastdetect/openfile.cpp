#include "fastdetect/openfile.h"

#include "fastdetect/format0split.h"

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

} // namespace

float msPerTick(const MidiFile &file)
{
    const std::int16_t division = file.ticksPerQuarter();
    if (file.divisionKind() != 0 || division <= 0)
        return 0.0f;
    return static_cast<float>(file.tempo() / 1000.0 / division);
}

OpenError OpenFile::open(const std::string &path)
{
    std::ifstream in;
    std::error_code ec;
    openReason_.clear();
    errno = 0;
    // A folder opens as a stream on some systems but is no file to read.
    if (!path.empty() && !std::filesystem::is_directory(path, ec))
        in.open(path, std::ios::binary);
    if (!in.is_open()) {
        openReason_ = whyNotOpened(path, errno);
        return OpenError::FileOpen;
    }
    char tag[4] = {'.', '.', '.', '.'}; // a shorter file keeps the dots and fails the check
    in.read(tag, 4);
    if (std::string_view(tag, 4) != "MThd")
        return OpenError::InvalidHeader;
    in.close();

    readerReason_.clear();
    midi_.setErrorHandler([this](const std::string &reason) { readerReason_ = reason; });
    midi_.setFileName(path);
    midi_.load();
    midi_.parse();
    return accept();
}

OpenError OpenFile::openBytes(std::string_view bytes)
{
    openReason_.clear();
    if (bytes.substr(0, 4) != "MThd")
        return OpenError::InvalidHeader;
    readerReason_.clear();
    midi_.setErrorHandler([this](const std::string &reason) { readerReason_ = reason; });
    midi_.loadFromBytes(bytes);
    return accept();
}

OpenError OpenFile::accept()
{
    if (!midi_.ok())
        return OpenError::Reader;
    const bool split = splitFormat0_ && isSplittableFormat0();
    if (split)
        midi_.replaceTracks(splitFormat0(midi_));
    else if (midi_.format() != 1 || midi_.divisionKind() != 0)
        return OpenError::FormatNotSupported;
    // A division of 0 would divide by zero, and more than 32767 tracks do not fit the
    // 16-bit count: neither is a file we can time or walk.
    const std::int16_t division = midi_.ticksPerQuarter();
    if (division <= 0 || midi_.trackCount() < 0)
        return OpenError::FormatNotSupported;
    msPerTick_ = tunedeck::msPerTick(midi_);
    ticksPerQuarter_ = division;
    trackCount_ = midi_.trackCount();
    wasSplit_ = split;
    return OpenError::None;
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
