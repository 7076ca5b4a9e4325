#include "core/score/scoremidi.h"

#include "core/midi/midiwriter.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::score {

namespace {

constexpr int DrumChannel = 9;

std::int32_t microsPerQuarter(double quartersPerMinute)
{
    return std::int32_t(std::clamp(std::lround(60'000'000.0 / quartersPerMinute), 1L, 0xFFFFFFL));
}

std::string bigEndian24(std::int32_t value)
{
    return {char((value >> 16) & 0xFF), char((value >> 8) & 0xFF), char(value & 0xFF)};
}

void tempoTrack(const Score &score, EventPiece &piece)
{
    for (const Tempo &t : score.tempos) {
        if (t.tick == 0)
            piece.tempo = microsPerQuarter(t.quartersPerMinute);
        else
            piece.metas.push_back({t.tick, 0x51, bigEndian24(microsPerQuarter(t.quartersPerMinute)), 1});
    }
    for (const TimeSignature &t : score.times) {
        int power = 0;
        while ((1 << power) < t.beatType && power < 10)
            ++power;
        if ((1 << power) != t.beatType || t.beats < 1 || t.beats > 255)
            continue; // a meter a file cannot write
        piece.metas.push_back({t.tick, 0x58, {char(t.beats), char(power), char(24), char(8)}, 1});
    }
    for (const KeySignature &k : score.keys)
        piece.metas.push_back({k.tick, 0x59, {char(std::int8_t(k.fifths)), char(k.minor ? 1 : 0)}, 1});
}

} // namespace

std::string midiBytes(const Score &score)
{
    EventPiece piece;
    piece.trackCount = std::int32_t(score.parts.size()) + 1;
    tempoTrack(score, piece);
    std::size_t notes = 0;
    for (const Part &part : score.parts)
        notes += part.notes.size();
    piece.events.reserve(2 * notes + score.parts.size());
    int nextChannel = 0;
    for (std::size_t p = 0; p < score.parts.size(); ++p) {
        const Part &part = score.parts[p];
        const std::int32_t track = std::int32_t(p) + 2;
        int channel = DrumChannel;
        if (!part.drums) {
            // Channel 16 is played but never analysed: the parts share 1..9 and 11..15.
            channel = nextChannel;
            nextChannel = (nextChannel + 1) % 15;
            if (nextChannel == DrumChannel)
                nextChannel = DrumChannel + 1;
        }
        piece.metas.push_back({0, 0x03, part.name.empty() ? part.id : part.name, track});
        if (!part.drums)
            piece.events.push_back({0, 0xC0 | channel, std::clamp(part.program, 0, 127), 0, track});
        // Every release before the attacks of its tick, so a repeated note sounds again.
        std::vector<RawEvent> events;
        events.reserve(2 * part.notes.size());
        for (const Note &n : part.notes) {
            events.push_back({n.tick + n.duration, 0x80 | channel, n.pitch, 0, track});
            events.push_back({n.tick, 0x90 | channel, n.pitch, NoteVelocity, track});
        }
        std::stable_sort(events.begin(), events.end(), [](const RawEvent &a, const RawEvent &b) {
            return a.tick != b.tick ? a.tick < b.tick : (a.status & 0xF0) < (b.status & 0xF0);
        });
        piece.events.insert(piece.events.end(), events.begin(), events.end());
    }
    Result<std::string> bytes = midiFileBytes(piece);
    // The reader keeps every tick, pitch and track within what a file holds.
    return bytes ? *bytes : std::string();
}

} // namespace tunedeck::score
