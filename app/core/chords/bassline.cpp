#include "core/chords/bassline.h"

#include <algorithm>
#include <limits>

namespace tunedeck::chords {

std::vector<std::int8_t> bassLine(std::span<const SpanNote> notes, std::int64_t start, std::int64_t length,
                                  std::size_t count, double passingShare)
{
    std::vector<std::int8_t> line(count, -1);
    if (count == 0 || length <= 0)
        return line;
    constexpr int None = std::numeric_limits<int>::max();
    std::vector<int> held(count, None), any(count, None);
    const auto minHeld = std::int64_t(passingShare * double(length));
    const std::int64_t end = start + length * std::int64_t(count);
    for (const SpanNote &n : notes) {
        const std::int64_t a = std::max(n.start, start), b = std::min(n.end, end);
        for (std::int64_t t = a; t < b;) {
            const auto f = std::size_t((t - start) / length);
            const std::int64_t next = std::min(b, start + (std::int64_t(f) + 1) * length);
            any[f] = std::min(any[f], n.pitch);
            if (next - t >= minHeld)
                held[f] = std::min(held[f], n.pitch);
            t = next;
        }
    }
    for (std::size_t f = 0; f < count; ++f) {
        const int pitch = held[f] != None ? held[f] : any[f];
        if (pitch != None)
            line[f] = std::int8_t(pitch % 12);
    }
    return line;
}

std::vector<std::int8_t> bassLineOfSteps(const ChordSteps &steps)
{
    const ChordFrames &frames = *steps.frames;
    if (!steps.split() || frames.bassLine.empty())
        return frames.bassLine;
    std::vector<std::int8_t> line(steps.size(), -1);
    for (std::size_t s = 0; s < steps.size(); ++s) {
        const std::size_t f = steps.frame(s);
        if (!steps.half(s))
            line[s] = frames.bassLine[f];
        else if (frames.halvesBassLine.size() == 2 * frames.bassLine.size())
            line[s] = frames.halvesBassLine[2 * f + (steps.ticks[s] > frames.start + std::int64_t(f) * frames.length ? 1 : 0)];
    }
    return line;
}

} // namespace tunedeck::chords
