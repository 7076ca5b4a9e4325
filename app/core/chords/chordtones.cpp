#include "core/chords/chordtones.h"

#include <algorithm>

namespace tunedeck::chords {

std::array<double, 12> soundingOver(const std::vector<FrameFeatures> &frames, std::size_t from, std::size_t to)
{
    std::array<double, 12> sum{};
    for (std::size_t f = from; f < to && f < frames.size(); ++f)
        for (std::size_t pc = 0; pc < 12; ++pc)
            sum[pc] += frames[f].sounding[pc];
    return sum;
}

double toneShare(const harmony::Chord &chord, const std::array<double, 12> &sounding)
{
    if (chord.none())
        return 0;
    const std::uint16_t tones = harmony::pitchClassSet(chord);
    double all = 0, own = 0;
    for (std::size_t pc = 0; pc < 12; ++pc) {
        all += sounding[pc];
        if (tones >> pc & 1u)
            own += sounding[pc];
    }
    return all > 0 ? own / all : 0;
}

double coverage(const harmony::Chord &chord, const std::array<double, 12> &sounding, double span)
{
    if (chord.none() || span <= 0)
        return 0;
    double least = span;
    for (int t : harmony::intervals(chord.quality))
        least = std::min(least, sounding[std::size_t((chord.root + t) % 12)]);
    return least / span;
}

harmony::Chord powerChord(const harmony::Chord &chord, const std::array<double, 12> &sounding, double share)
{
    using harmony::Quality;
    if (chord.none() || (chord.quality != Quality::Major && chord.quality != Quality::Minor))
        return chord;
    const auto at = [&](int above) { return sounding[std::size_t((chord.root + above) % 12)]; };
    double all = 0;
    for (double t : sounding)
        all += t;
    if (at(3) > 0 || at(4) > 0 || at(0) <= 0 || at(7) <= 0 || at(0) + at(7) < share * all)
        return chord;
    return {chord.root, Quality::Power, chord.bass == 7 ? 7 : 0};
}

} // namespace tunedeck::chords
