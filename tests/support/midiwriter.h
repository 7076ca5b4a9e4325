// A small Standard MIDI File writer for tests: builds tracks event by event and writes
// well-formed files, or on request damaged ones (raw chunks, wrong lengths, truncation).
//
//     midiwriter::File file(1, 480);           // format 1, 480 ticks per quarter note
//     file.addTrack().tempo(600000);
//     file.addTrack().noteOn(0, 60, 100).wait(480).noteOff(0, 60).at(960).note(0, 64, 90, 240);
//     file.save("/tmp/two.mid");                // or file.bytes()
#ifndef TUNEDECK_MIDIWRITER_H
#define TUNEDECK_MIDIWRITER_H

#include <cstdint>
#include <deque>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace midiwriter {

inline std::string be16(uint32_t v)
{
    return {char(v >> 8 & 0xFF), char(v & 0xFF)};
}

inline std::string be32(uint32_t v)
{
    return be16(v >> 16) + be16(v & 0xFFFF);
}

// A variable-length quantity. Values above 0x0FFFFFFF need more than the four bytes a
// file may use, which is one way to write a damaged file.
inline std::string vlq(uint64_t v)
{
    std::string out(1, char(v & 0x7F));
    while (v >>= 7)
        out.insert(out.begin(), char(0x80 | (v & 0x7F)));
    return out;
}

// Writes bytes to a file; true on success.
inline bool save(const std::string &path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out.flush());
}

// One chunk, normally a track. Events are written at the cursor: wait() moves it on by a
// number of ticks, at() puts it at an absolute tick; each event's delta time is the
// distance from the previous event. Byte values are written as given, so a data byte
// above 127 makes a damaged file on purpose.
class Track {
public:
    explicit Track(std::string type = "MTrk") : type_(std::move(type)) {}

    Track &wait(uint64_t ticks)
    {
        cursor_ += ticks;
        return *this;
    }
    Track &at(uint64_t tick)
    {
        if (tick < last_)
            throw std::invalid_argument("midiwriter: at() before the previous event");
        cursor_ = tick;
        return *this;
    }
    uint64_t now() const { return cursor_; }

    // Channel messages; 0xC0-0xDF carry one data byte, the others two.
    Track &channelMessage(int status, int data1, int data2 = 0)
    {
        std::string bytes{char(status), char(data1)};
        if ((status & 0xE0) != 0xC0)
            bytes += char(data2);
        return event(std::move(bytes));
    }
    Track &noteOn(int channel, int key, int velocity) { return channelMessage(0x90 | (channel & 15), key, velocity); }
    Track &noteOff(int channel, int key, int velocity = 0) { return channelMessage(0x80 | (channel & 15), key, velocity); }
    // Note on now, note off `length` ticks later; the cursor ends at the note off.
    Track &note(int channel, int key, int velocity, uint64_t length)
    {
        return noteOn(channel, key, velocity).wait(length).noteOff(channel, key);
    }
    Track &controlChange(int channel, int controller, int value)
    {
        return channelMessage(0xB0 | (channel & 15), controller, value);
    }
    Track &programChange(int channel, int program) { return channelMessage(0xC0 | (channel & 15), program); }

    Track &meta(int type, std::string_view data)
    {
        return event(std::string{char(0xFF), char(type)} + vlq(data.size()) + std::string(data));
    }
    Track &tempo(uint32_t microsPerQuarter) { return meta(0x51, be32(microsPerQuarter).substr(1)); }
    Track &text(std::string_view text) { return meta(0x01, text); }
    // System exclusive: F0 (or F7) and a length, then `data` as given (end it with F7).
    Track &sysex(std::string_view data, int status = 0xF0)
    {
        return event(std::string(1, char(status)) + vlq(data.size()) + std::string(data));
    }
    // Written at the cursor; without it a track gets one when the file is written.
    Track &endOfTrack()
    {
        ended_ = true;
        return meta(0x2F, {});
    }
    Track &noEndOfTrack()
    {
        ended_ = true;
        return *this;
    }

    // Damage and oddities: an event of any bytes after its delta time, bytes with no delta
    // time at all, and a chunk length other than the true one.
    Track &rawEvent(std::string_view bytes) { return event(std::string(bytes)); }
    Track &raw(std::string_view bytes)
    {
        items_.push_back({0, std::string(bytes), true});
        return *this;
    }
    Track &declareLength(uint32_t length)
    {
        declaredLength_ = length;
        return *this;
    }

    bool isTrack() const { return type_ == "MTrk"; }

    // The whole chunk: type, length and body.
    std::string chunk(bool runningStatus) const
    {
        std::string body;
        uint8_t running = 0;
        for (const Item &item : items_) {
            if (item.raw) {
                body += item.bytes;
                running = 0;
                continue;
            }
            body += vlq(item.delta);
            const uint8_t status = item.bytes.empty() ? 0 : uint8_t(item.bytes[0]);
            const bool channel = status >= 0x80 && status < 0xF0;
            body.append(item.bytes, runningStatus && channel && status == running ? 1 : 0);
            // Status is sent again after meta and sysex events, which suits every reader.
            if (status >= 0x80)
                running = channel ? status : 0;
        }
        if (isTrack() && !ended_)
            body += vlq(cursor_ - last_) + "\xFF\x2F" + std::string(1, '\0');
        return type_ + be32(declaredLength_.value_or(uint32_t(body.size()))) + body;
    }

private:
    struct Item {
        uint64_t delta;
        std::string bytes;
        bool raw;
    };

    Track &event(std::string bytes)
    {
        items_.push_back({cursor_ - last_, std::move(bytes), false});
        last_ = cursor_;
        return *this;
    }

    std::string type_;
    std::vector<Item> items_;
    uint64_t cursor_ = 0;
    uint64_t last_ = 0;
    bool ended_ = false;
    std::optional<uint32_t> declaredLength_;
};

class File {
public:
    explicit File(int format = 1, int ticksPerQuarter = 480) : format_(format), division_(uint16_t(ticksPerQuarter)) {}

    File &format(int format)
    {
        format_ = format;
        return *this;
    }
    File &ticksPerQuarter(int ticks) { return division(uint16_t(ticks)); }
    // SMPTE time: frames per second (24, 25, 29, 30) and ticks per frame.
    File &smpte(int framesPerSecond, int ticksPerFrame)
    {
        return division(uint16_t((256 - framesPerSecond) << 8 | (ticksPerFrame & 0xFF)));
    }
    File &division(uint16_t word)
    {
        division_ = word;
        return *this;
    }
    // Leave out repeated status bytes of channel messages.
    File &runningStatus(bool on = true)
    {
        runningStatus_ = on;
        return *this;
    }

    // A new track chunk at the end of the file; the reference stays valid.
    Track &addTrack() { return chunks_.emplace_back(); }
    // A chunk of any type holding `data` as it stands: unknown chunks, hand-made tracks.
    Track &addChunk(std::string type, std::string_view data)
    {
        return chunks_.emplace_back(std::move(type)).raw(data).noEndOfTrack();
    }
    Track &chunk(std::size_t index) { return chunks_.at(index); }

    // Damage: the header announces another number of tracks than the file holds, states
    // another header length (above 6 the header is padded with zeros), or the written
    // bytes stop after `size` bytes.
    File &announceTracks(int count)
    {
        announced_ = count;
        return *this;
    }
    File &headerLength(uint32_t length)
    {
        headerLength_ = length;
        return *this;
    }
    File &truncate(std::size_t size)
    {
        truncate_ = size;
        return *this;
    }

    std::string bytes() const
    {
        int tracks = 0;
        for (const Track &t : chunks_)
            tracks += t.isTrack();
        std::string out = "MThd" + be32(headerLength_) + be16(uint32_t(format_))
            + be16(uint32_t(announced_.value_or(tracks))) + be16(division_);
        if (headerLength_ > 6)
            out.append(headerLength_ - 6, '\0');
        for (const Track &t : chunks_)
            out += t.chunk(runningStatus_);
        if (truncate_ && *truncate_ < out.size())
            out.resize(*truncate_);
        return out;
    }

    bool save(const std::string &path) const { return midiwriter::save(path, bytes()); }

private:
    int format_;
    uint16_t division_;
    bool runningStatus_ = false;
    std::deque<Track> chunks_;
    std::optional<int> announced_;
    uint32_t headerLength_ = 6;
    std::optional<std::size_t> truncate_;
};

} // namespace midiwriter

#endif
