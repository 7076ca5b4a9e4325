#include "core/chords/bassline.h"

#include <algorithm>
#include <limits>

namespace tunedeck::chords {

void fillBassLine(std::vector<FrameFeatures> &frames, std::span<const SpanNote> notes, std::int64_t start,
                  std::int64_t length, double passingShare)
{
    if (frames.empty() || length <= 0)
        return;
    constexpr int None = std::numeric_limits<int>::max();
    std::vector<int> held(frames.size(), None), any(frames.size(), None);
    const auto minHeld = std::int64_t(passingShare * double(length));
    const std::int64_t end = start + length * std::int64_t(frames.size());
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
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const int pitch = held[f] != None ? held[f] : any[f];
        frames[f].lowest.fill(0);
        if (pitch != None)
            frames[f].lowest[std::size_t(pitch % 12)] = double(length);
    }
}

} // namespace tunedeck::chords
