#include "core/chords/undermelody.h"

#include <algorithm>
#include <array>
#include <bit>

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
    // How many pitches of each class sound below the melody; the classes as 12 bits.
    unsigned belowTop(std::array<int, 12> &pitches) const
    {
        const int top = this->top();
        unsigned classes = 0;
        pitches.fill(0);
        for (int word = 0; word < 2; ++word)
            for (std::uint64_t b = bits[std::size_t(word)]; b; b &= b - 1) {
                const int pitch = word * 64 + std::countr_zero(b);
                if (pitch < top) {
                    classes |= 1u << (pitch % 12);
                    ++pitches[std::size_t(pitch % 12)];
                }
            }
        return classes;
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
    // Each edge one word, its time from the start above its pitch and whether it starts, so
    // the sort compares plain integers; the order among one time's edges does not matter.
    constexpr std::uint64_t Starts = 128;
    std::vector<std::uint64_t> edges;
    edges.reserve(notes.size() * 2);
    for (const SpanNote &n : notes) {
        const std::int64_t a = std::max(n.start, start), b = std::min(n.end, end);
        if (b <= a || n.pitch < 0 || n.pitch > 127)
            continue;
        edges.push_back(std::uint64_t(a - start) << 8 | Starts | std::uint64_t(n.pitch));
        edges.push_back(std::uint64_t(b - start) << 8 | std::uint64_t(n.pitch));
    }
    std::sort(edges.begin(), edges.end());
    const auto timeOf = [start](std::uint64_t edge) { return start + std::int64_t(edge >> 8); };
    std::vector<std::array<std::int64_t, 12>> under(count);
    Sounding sounding;
    std::array<int, 12> pitches{};
    std::int64_t from = start;
    for (std::size_t e = 0; e < edges.size();) {
        const std::int64_t to = timeOf(edges[e]);
        // The stretch [from, to) holds the same notes: each pitch below the top adds its time
        // to each frame the stretch covers.
        const unsigned below = from < to ? sounding.belowTop(pitches) : 0u;
        for (std::int64_t a = from; a < to && below;) {
            const std::size_t f = std::size_t((a - start) / length);
            const std::int64_t b = std::min(to, start + length * std::int64_t(f + 1));
            for (unsigned bits = below; bits; bits &= bits - 1) {
                const auto pc = std::size_t(std::countr_zero(bits));
                under[f][pc] += pitches[pc] * (b - a);
            }
            a = b;
        }
        for (; e < edges.size() && timeOf(edges[e]) == to; ++e)
            sounding.add(int(edges[e] & 127), edges[e] & Starts ? 1 : -1);
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
