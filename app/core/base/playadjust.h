// A play's tempo and transposition, and how each event takes them: what is heard, what
// Tonalyte is fed and what the profile analysis reads all move together.
#ifndef TUNEDECK_CORE_BASE_PLAYADJUST_H
#define TUNEDECK_CORE_BASE_PLAYADJUST_H

#include <cstdint>
#include <optional>

namespace tunedeck {

constexpr int MinTranspose = -12, MaxTranspose = 12;
constexpr int MinTempoPercent = 25, MaxTempoPercent = 200;

struct PlayAdjust {
    int transpose = 0;       // semitones, MinTranspose..MaxTranspose
    int tempoPercent = 100;  // of the file's tempo, MinTempoPercent..MaxTempoPercent

    friend bool operator==(const PlayAdjust &, const PlayAdjust &) = default;
};

constexpr bool validTranspose(int semitones)
{
    return semitones >= MinTranspose && semitones <= MaxTranspose;
}

constexpr bool validTempo(int percent)
{
    return percent >= MinTempoPercent && percent <= MaxTempoPercent;
}

// Note-on, note-off and poly aftertouch carry a pitch, except on the drum channel (10),
// whose notes name instruments.
constexpr bool carriesPitch(int status)
{
    const int kind = status & 0xF0;
    return (kind == 0x80 || kind == 0x90 || kind == 0xA0) && (status & 0x0F) != 9;
}

// The note moved by semitones; nothing when that leaves 1..127. Unmoved notes stay as they
// are, note 0 included, so that no transposition changes nothing.
constexpr std::optional<std::uint8_t> transposedNote(int note, int semitones)
{
    if (semitones == 0)
        return std::uint8_t(note);
    const int moved = note + semitones;
    if (moved < 1 || moved > 127)
        return std::nullopt;
    return std::uint8_t(moved);
}

// The channels left out of a play and of both analyses, so that what is heard is what is
// analysed. Their notes are dropped; their other messages still set up the synthesizer.
struct ChannelMask {
    std::uint16_t muted = 0; // bit n: MIDI channel n + 1

    constexpr bool heard(int channel) const { return ((muted >> (channel & 15)) & 1) == 0; }
    friend bool operator==(const ChannelMask &, const ChannelMask &) = default;
};

// Mute and solo as a mixer sets them: with any channel soloed only the soloed ones play,
// and a muted channel stays muted even when soloed.
constexpr ChannelMask mixMask(std::uint16_t muted, std::uint16_t soloed)
{
    return {std::uint16_t(muted | (soloed != 0 ? ~soloed : 0))};
}

} // namespace tunedeck

#endif
