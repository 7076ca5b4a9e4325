#include "core/midi/trackreader.h"

#include <limits>

namespace tunedeck {

namespace {

constexpr uint64_t MaxTicks = std::numeric_limits<int32_t>::max();

std::string hexByte(unsigned value)
{
    static const char digits[] = "0123456789ABCDEF";
    return {'0', 'x', digits[(value >> 4) & 0xF], digits[value & 0xF]};
}

// Reads the events of one track chunk. Every read is checked against the chunk end, and
// the chunk itself lies inside the file, so hostile lengths cannot reach past the buffer.
class TrackReader {
public:
    TrackReader(const unsigned char *begin, const unsigned char *end, int number, const unsigned char *origin)
        : p_(begin), end_(end), origin_(origin), number_(std::to_string(number))
    {
    }

    // Fills `track`; returns an empty string or the reason the track is unreadable.
    // `tempo` receives the first well-formed Set Tempo unless it already holds one.
    std::string read(MidiTrack &track, int32_t &tempo, bool &haveTempo)
    {
        // A note event takes about four bytes; the guess only avoids regrowing.
        track.events.reserve(std::size_t(end_ - p_) / 4 + 1);
        if (origin_)
            track.places.reserve(track.events.capacity());
        uint8_t running = 0;
        uint64_t ticks = 0;
        while (p_ < end_) {
            MidiEvent ev;
            if (!readVlq(ev.delta))
                return error_;
            // The program sums delta times in a 32-bit signed integer.
            ticks += ev.delta;
            if (ticks > MaxTicks)
                return "track " + number_ + " runs past 2147483647 ticks";
            if (p_ == end_)
                return endsInsideEvent();
            start_ = p_;

            uint8_t status = *p_;
            if (status < 0x80) {
                if (running == 0)
                    return "running status with no status before it in track " + number_;
                status = running;
            } else {
                ++p_;
            }
            ev.status = status;

            if (status < 0xF0) {
                running = status;
                const bool oneDataByte = (status & 0xE0) == 0xC0; // program change, channel pressure
                if (!readDataByte(ev.data1) || (!oneDataByte && !readDataByte(ev.data2)))
                    return error_;
                keep(track, ev);
            } else if (status == 0xFF) {
                if (p_ == end_)
                    return endsInsideEvent();
                ev.data1 = *p_++;
                uint32_t length = 0;
                if (!readLength(length))
                    return error_;
                if (length > 0)
                    ev.data2 = p_[0];
                if (ev.data1 == 0x51 && length == 3 && !haveTempo) {
                    tempo = int32_t(uint32_t(p_[0]) << 16 | uint32_t(p_[1]) << 8 | p_[2]);
                    haveTempo = true;
                }
                p_ += length;
                keep(track, ev);
                // Meta events leave running status as it is: they are not sent to a
                // device, and files that rely on running status across them exist.
                if (ev.data1 == 0x2F)
                    break; // End of Track: anything after it in the chunk is ignored
            } else if (status == 0xF0 || status == 0xF7) {
                uint32_t length = 0;
                if (!readLength(length))
                    return error_;
                p_ += length;
                keep(track, ev);
                running = 0; // a system-exclusive message cancels running status on the wire
            } else {
                return "unexpected status byte " + hexByte(status) + " in track " + number_;
            }
        }
        return {};
    }

private:
    void keep(MidiTrack &track, const MidiEvent &ev)
    {
        track.events.push_back(ev);
        // Files are at most 32 MiB, so offsets fit.
        if (origin_)
            track.places.push_back({uint32_t(start_ - origin_), uint32_t(p_ - origin_), *start_ < 0x80});
    }

    std::string endsInsideEvent() const { return "track " + number_ + " ends inside an event"; }

    // A variable-length quantity of at most four bytes.
    bool readVlq(uint32_t &value, const char *what = "delta time")
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (p_ == end_) {
                error_ = endsInsideEvent();
                return false;
            }
            const uint8_t byte = *p_++;
            value = value << 7 | (byte & 0x7F);
            if (!(byte & 0x80))
                return true;
        }
        error_ = std::string(what) + " longer than 4 bytes in track " + number_;
        return false;
    }

    // The length of a meta or system-exclusive event, whose data must lie inside the chunk.
    bool readLength(uint32_t &length)
    {
        if (!readVlq(length, "event length"))
            return false;
        if (length > std::size_t(end_ - p_)) {
            error_ = endsInsideEvent();
            return false;
        }
        return true;
    }

    bool readDataByte(uint8_t &value)
    {
        if (p_ == end_) {
            error_ = endsInsideEvent();
            return false;
        }
        value = *p_++;
        if (value > 0x7F) {
            error_ = "data byte above 127 in track " + number_;
            return false;
        }
        return true;
    }

    const unsigned char *p_;
    const unsigned char *start_ = nullptr; // of the event being read, after its delta time
    const unsigned char *const end_;
    const unsigned char *const origin_;
    const std::string number_;
    std::string error_;
};

} // namespace

std::string readTrackChunk(const unsigned char *begin, const unsigned char *end, int number, MidiTrack &track,
                           int32_t &tempo, bool &haveTempo, const unsigned char *origin)
{
    return TrackReader(begin, end, number, origin).read(track, tempo, haveTempo);
}

} // namespace tunedeck
