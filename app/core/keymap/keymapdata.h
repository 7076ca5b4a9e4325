// The key map's data: for each analysis, the stretches of one key along the music, in bars
// (fast detection) or in seconds (real-time play). Plain C++, no Qt: the analyses build it,
// the painter and the widget only read it.
#ifndef TUNEDECK_CORE_KEYMAP_KEYMAPDATA_H
#define TUNEDECK_CORE_KEYMAP_KEYMAPDATA_H

#include "core/base/keynames.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tunedeck {

// What the map counts in. Bars are numbered from 1, as the key timeline shows them;
// seconds from 0, as the play clock does.
enum class KeyMapUnit { Bar, Second };

// "bar" or "s".
const char *unitLabel(KeyMapUnit unit);
// The first position of a map in this unit: 1 for bars, 0 for seconds.
std::int64_t firstPosition(KeyMapUnit unit);

// One stretch of one key. Both ends are inclusive positions in the map's unit: bars 3..8
// is {3, 8, code}; a second s covers the time from s to s + 1. A keyCode that names no key
// (0 and everything but 60..71 and 160..171) is "no key" and is drawn as a gap.
struct KeyMapSegment {
    std::int64_t firstBar = 0;
    std::int64_t lastBar = 0;
    int keyCode = 0;
    bool unsure = false; // a live key shown with its doubt ("C major?"): drawn paler
    std::optional<int> keyFifths; // the signature a score writes our own analysis' key with there

    friend bool operator==(const KeyMapSegment &, const KeyMapSegment &) = default;
};

struct KeyMapData {
    struct Row {
        std::string title; // "Tonalyte", "Profile analysis"
        std::vector<KeyMapSegment> segments; // in order, not overlapping

        friend bool operator==(const Row &, const Row &) = default;
    };

    KeyMapUnit unit = KeyMapUnit::Bar;
    // The length of the map in its unit: bars 1..bars, or seconds 0..bars - 1.
    std::int64_t bars = 0;
    std::vector<Row> rows;
    // How the legend, the stretches and the tooltip spell keys.
    Notation notation = Notation::Standard;

    std::int64_t first() const { return firstPosition(unit); }
    std::int64_t last() const { return first() + bars - 1; }
    const char *unitLabel() const { return tunedeck::unitLabel(unit); }

    friend bool operator==(const KeyMapData &, const KeyMapData &) = default;
};

// A point where the key changes: the key holds from here until the next point.
struct KeyChangePoint {
    std::int64_t position = 0; // in the map's unit
    int keyCode = 0;
    std::optional<int> keyFifths; // as KeyMapSegment's
};

// A row from change points in time order, as the key timeline gives them: each point holds
// until the next, the last until `last`. Points before `first` count from `first`; of
// several at one position the last one given wins; points after `last` are dropped.
// Neighbouring stretches of one key written alike merge; stretches of no key are left out.
KeyMapData::Row rowFromChangePoints(std::string title, std::span<const KeyChangePoint> points,
                                    std::int64_t first, std::int64_t last);

// A row from one key per bar: keys[i] is the key of bar firstBar + i.
KeyMapData::Row rowFromBarKeys(std::string title, std::span<const int> keys,
                               std::int64_t firstBar = 1);


// The key of a row at a position; 0 when none.
int keyAt(const KeyMapData::Row &row, std::int64_t position);

// The key codes present in the map, each once, in circle-of-fifths order of their major
// (C, G, D, ... F; a minor beside its relative major, after it).
std::vector<int> keysPresent(const KeyMapData &data);

// Live growth during a play: the key of row `row` at `position` is keyCode. The row's last
// stretch holds until this position; it grows when the key is the same, and a new stretch
// starts when it is not. No key is kept as a stretch of code 0, so that a later key does
// not reach back over it. A position at or before the last one recorded overwrites from
// there on. Rows are added as needed (untitled) and the map grows to cover the position.
// Positions before the map's first are ignored.
void recordKey(KeyMapData &data, std::size_t row, std::int64_t position, int keyCode, bool unsure = false,
               std::optional<int> keyFifths = std::nullopt);

} // namespace tunedeck

#endif
