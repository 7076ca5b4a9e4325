#include "midi/trackreader.h"

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
        : m_p(begin), m_end(end), m_origin(origin), m_number(std::to_string(number))
    {
    }

    // Fills `track`; returns an empty string or the reason the track is unreadable.
    // `tempo` receives the first well-formed Set Tempo unless it already holds one.
    std::string read(MidiTrack &track, int32_t &tempo, bool &haveTempo)
    {
        // A note event takes about four bytes; the guess only avoids regrowing.
        track.events.reserve(std::size_t(m_end - m_p) / 4 + 1);
        if (m_origin)
            track.places.reserve(track.events.capacity());
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
            m_start = m_p;

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
                keep(track, ev);
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
                keep(track, ev);
                // Meta events leave running status as it is: they are not sent to a
                // device, and files that rely on running status across them exist.
                if (ev.data1 == 0x2F)
                    break; // End of Track: anything after it in the chunk is ignored
            } else if (status == 0xF0 || status == 0xF7) {
                uint32_t length = 0;
                if (!readLength(length))
                    return m_error;
                m_p += length;
                keep(track, ev);
                running = 0; // a system-exclusive message cancels running status on the wire
            } else {
                return "unexpected status byte " + hexByte(status) + " in track " + m_number;
            }
        }
        return {};
    }

private:
    void keep(MidiTrack &track, const MidiEvent &ev)
    {
        track.events.push_back(ev);
        // Files are at most 32 MiB, so offsets fit.
        if (m_origin)
            track.places.push_back({uint32_t(m_start - m_origin), uint32_t(m_p - m_origin), *m_start < 0x80});
    }

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
    const unsigned char *m_start = nullptr; // of the event being read, after its delta time
    const unsigned char *const m_end;
    const unsigned char *const m_origin;
    const std::string m_number;
    std::string m_error;
};

} // namespace

std::string readTrackChunk(const unsigned char *begin, const unsigned char *end, int number, MidiTrack &track,
                           int32_t &tempo, bool &haveTempo, const unsigned char *origin)
{
    return TrackReader(begin, end, number, origin).read(track, tempo, haveTempo);
}

} // namespace tunedeck
