// Constant tables that tie the 36 scale rows to their tonics and tonic triads.
#ifndef TONALYTE_KEYTABLES_H
#define TONALYTE_KEYTABLES_H

#include <array>
#include <cstdint>

namespace tonalyte {

constexpr int ScaleCount = 36;
constexpr int ScaleNotes = 7;

// Rows 0..11: major tonics in key-signature order (0 to 5 flats, then 1 to 6 sharps);
// rows 12..23: the relative minor tonic of the same group. Note numbers 60..71.
constexpr std::array<int16_t, 24> KeyTonicTable = {
    60, 65, 70, 63, 68, 61, 67, 62, 69, 64, 71, 66,
    69, 62, 67, 60, 65, 70, 64, 71, 66, 61, 68, 63,
};

constexpr int16_t wrapNote(int n) { return static_cast<int16_t>((n - 60) % 12 + 60); }

struct Triad {
    int16_t root, third, fifth;
};

// Rows 0..11: minor triad on the minor tonic of group r; rows 12..23: major triad
// on the major tonic of group r.
constexpr std::array<Triad, 24> makeTonicTriads()
{
    std::array<Triad, 24> t{};
    for (int r = 0; r < 12; ++r) {
        const int m = KeyTonicTable[12 + r];
        t[r] = {wrapNote(m), wrapNote(m + 3), wrapNote(m + 7)};
        const int M = KeyTonicTable[r];
        t[12 + r] = {wrapNote(M), wrapNote(M + 4), wrapNote(M + 7)};
    }
    return t;
}
constexpr std::array<Triad, 24> TonicTriadTable = makeTonicTriads();

using ScaleRow = std::array<int16_t, ScaleNotes>;

// Rows 0..11 major scales, 12..23 harmonic minor, 24..35 ascending melodic minor.
constexpr std::array<ScaleRow, ScaleCount> makeScaleTable()
{
    constexpr int major[7] = {0, 2, 4, 5, 7, 9, 11};
    constexpr int harmonic[7] = {0, 2, 3, 5, 7, 8, 11};
    constexpr int melodic[7] = {0, 2, 3, 5, 7, 9, 11};
    std::array<ScaleRow, ScaleCount> s{};
    for (int r = 0; r < 12; ++r) {
        for (int i = 0; i < 7; ++i) {
            s[r][i] = wrapNote(KeyTonicTable[r] + major[i]);
            s[12 + r][i] = wrapNote(KeyTonicTable[12 + r] + harmonic[i]);
            s[24 + r][i] = wrapNote(KeyTonicTable[12 + r] + melodic[i]);
        }
    }
    return s;
}
constexpr std::array<ScaleRow, ScaleCount> ScaleTable = makeScaleTable();

// Weight of a scale note that has not sounded: tonic 5, its fifth 3, others 1.
// A major-scale row counts the tonics and fifths of both the major and the relative minor.
constexpr int noteWeight(int s, int x)
{
    if (s < 12) {
        const Triad &mi = TonicTriadTable[s];
        const Triad &ma = TonicTriadTable[12 + s];
        if (x == mi.root || x == ma.root)
            return 5;
        if (x == mi.fifth || x == ma.fifth)
            return 3;
        return 1;
    }
    const Triad &mi = TonicTriadTable[s % 12];
    if (x == mi.root)
        return 5;
    if (x == mi.fifth)
        return 3;
    return 1;
}

constexpr std::array<std::array<int8_t, ScaleNotes>, ScaleCount> makeWeights()
{
    std::array<std::array<int8_t, ScaleNotes>, ScaleCount> w{};
    for (int s = 0; s < ScaleCount; ++s)
        for (int i = 0; i < ScaleNotes; ++i)
            w[s][i] = static_cast<int8_t>(noteWeight(s, ScaleTable[s][i]));
    return w;
}
constexpr auto ScaleWeights = makeWeights();

// Relative-minor code of a note number: (x mod 12) + 60.
constexpr int32_t relativeMinorCode(int32_t x) { return x % 12 + 60; }

} // namespace tonalyte

#endif
