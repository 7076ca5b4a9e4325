#include "core/chords/undermelody.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

namespace tunedeck::chords {

namespace {

// The pitches sounding, as bits: the highest is the melody.
struct Sounding {
    std::array<int, 128> count{};
    std::array<std::uint64_t, 2> bits{};

    void add(int pitch, int by)
    {
        count[std::size_t(pitch)] += by;
        const std::uint64_t bit = std::uint64_t(1) << (pitch % 64);
        if (count[std::size_t(pitch)] > 0)
            bits[std::size_t(pitch / 64)] |= bit;
        else
            bits[std::size_t(pitch / 64)] &= ~bit;
    }
    int top() const
    {
        if (bits[1])
            return 127 - std::countl_zero(bits[1]);
        return bits[0] ? 63 - std::countl_zero(bits[0]) : -1;
    }
};

} // namespace

std::vector<std::uint16_t> underMelody(std::span<const SpanNote> notes, std::int64_t start, std::int64_t length,
                                       std::size_t count, double share)
{
    std::vector<std::uint16_t> masks(count);
    if (count == 0 || length <= 0)
        return masks;
    const std::int64_t end = start + length * std::int64_t(count);
    std::vector<std::pair<std::int64_t, int>> edges; // time, pitch + 1 at a start, -(pitch + 1) at an end
    edges.reserve(notes.size() * 2);
    for (const SpanNote &n : notes) {
        const std::int64_t a = std::max(n.start, start), b = std::min(n.end, end);
        if (b <= a || n.pitch < 0 || n.pitch > 127)
            continue;
        edges.push_back({a, n.pitch + 1});
        edges.push_back({b, -(n.pitch + 1)});
    }
    std::sort(edges.begin(), edges.end());
    std::vector<std::array<std::int64_t, 12>> under(count);
    Sounding sounding;
    std::int64_t from = start;
    for (std::size_t e = 0; e < edges.size();) {
        const std::int64_t to = edges[e].first;
        const int top = sounding.top();
        // The stretch [from, to) holds the same notes: each below the top adds its time.
        for (std::int64_t a = from; a < to && top >= 0;) {
            const std::size_t f = std::size_t((a - start) / length);
            const std::int64_t b = std::min(to, start + length * std::int64_t(f + 1));
            for (int word = 0; word < 2; ++word)
                for (std::uint64_t bits = sounding.bits[std::size_t(word)]; bits; bits &= bits - 1) {
                    const int pitch = word * 64 + std::countr_zero(bits);
                    if (pitch < top)
                        under[f][std::size_t(pitch % 12)] += b - a;
                }
            a = b;
        }
        for (; e < edges.size() && edges[e].first == to; ++e)
            sounding.add(std::abs(edges[e].second) - 1, edges[e].second > 0 ? 1 : -1);
        from = to;
    }
    const double needed = share * double(length);
    for (std::size_t f = 0; f < count; ++f)
        for (std::size_t pc = 0; pc < 12; ++pc)
            if (under[f][pc] > 0 && double(under[f][pc]) >= needed)
                masks[f] |= std::uint16_t(1u << pc);
    return masks;
}

} // namespace tunedeck::chords
