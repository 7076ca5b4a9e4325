#include "core/chords/texture.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tunedeck::chords {

namespace {

// Chosen from the corpus' figures: most textbook examples strike fewer than 0.9 notes a
// quarter a voice, most pop songs and art songs more; most pop songs have less than 3 % of
// their time off the scale, most art songs and madrigals more; half the art songs strike more
// than 1.35 notes a quarter a voice, few madrigals do.
constexpr double ThinVoices = 2.5;
constexpr double BusyOnsets = 0.9;
constexpr double ChromaticShare = 0.03;
constexpr double FiguredOnsets = 1.35;
constexpr std::size_t ScaleFrames = 8;

// The share of the frames' sounding time outside the major scale (or its relative minor's
// natural form) holding most of it, window by window.
double chromaticShare(std::span<const FrameFeatures> frames)
{
    constexpr std::array<int, 7> Scale = {0, 2, 4, 5, 7, 9, 11};
    double outside = 0, all = 0;
    for (std::size_t w = 0; w + ScaleFrames <= frames.size(); w += ScaleFrames) {
        std::array<double, 12> sum{};
        for (std::size_t f = w; f < w + ScaleFrames; ++f)
            for (std::size_t pc = 0; pc < 12; ++pc)
                sum[pc] += frames[f].sounding[pc];
        double total = 0, best = 0;
        for (double t : sum)
            total += t;
        for (std::size_t tonic = 0; tonic < 12; ++tonic) {
            double in = 0;
            for (int d : Scale)
                in += sum[(tonic + std::size_t(d)) % 12];
            best = std::max(best, in);
        }
        outside += total - best;
        all += total;
    }
    return all > 0 ? outside / all : 0;
}

} // namespace

TextureFigures textureFigures(std::span<const SpanNote> notes, std::span<const FrameFeatures> frames,
                              int ticksPerQuarter)
{
    if (notes.empty())
        return {};
    // The time anything sounds: the notes come by start, so their union is one sweep.
    double noteTime = 0, soundingTime = 0;
    std::int64_t coveredTo = notes.front().start;
    for (const SpanNote &n : notes) {
        noteTime += double(n.end - n.start);
        const std::int64_t from = std::max(n.start, coveredTo);
        if (n.end > from) {
            soundingTime += double(n.end - from);
            coveredTo = n.end;
        }
    }
    TextureFigures f;
    f.voices = soundingTime > 0 ? noteTime / soundingTime : 0;
    const double quarters = soundingTime / std::max(ticksPerQuarter, 1);
    f.onsetsPerVoice = quarters > 0 && f.voices > 0 ? double(notes.size()) / quarters / f.voices : 0;
    f.chromatic = chromaticShare(frames);
    return f;
}

Texture textureOf(const TextureFigures &f)
{
    if (f.voices < ThinVoices)
        return Texture::Thin;
    if (f.onsetsPerVoice <= BusyOnsets)
        return Texture::Block;
    if (f.chromatic < ChromaticShare)
        return Texture::Diatonic;
    return f.onsetsPerVoice > FiguredOnsets ? Texture::Figured : Texture::Chromatic;
}

} // namespace tunedeck::chords
