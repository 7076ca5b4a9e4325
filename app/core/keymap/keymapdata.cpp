#include "core/keymap/keymapdata.h"

#include "core/base/keycodes.h"

#include <algorithm>

namespace tunedeck {

const char *unitLabel(KeyMapUnit unit)
{
    return unit == KeyMapUnit::Bar ? "bar" : "s";
}

std::int64_t firstPosition(KeyMapUnit unit)
{
    return unit == KeyMapUnit::Bar ? 1 : 0;
}

namespace {

// Adds a stretch of one key after the others, merging it with the one before when that
// is the same key and ends right before it.
void append(std::vector<KeyMapSegment> &segments, std::int64_t first, std::int64_t last, int code,
            std::optional<int> fifths = std::nullopt)
{
    if (first > last || !isKeyCode(code))
        return;
    if (!segments.empty() && segments.back().keyCode == code && segments.back().keyFifths == fifths
        && segments.back().lastBar + 1 == first)
        segments.back().lastBar = last;
    else
        segments.push_back({first, last, code, false, fifths});
}

} // namespace

KeyMapData::Row rowFromChangePoints(std::string title, std::span<const KeyChangePoint> points,
                                    std::int64_t first, std::int64_t last)
{
    KeyMapData::Row row{std::move(title), {}};
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::int64_t from = std::max(points[i].position, first);
        std::int64_t to = last;
        if (i + 1 < points.size())
            to = std::min(last, std::max(points[i + 1].position, first) - 1);
        append(row.segments, from, to, points[i].keyCode, points[i].keyFifths);
    }
    return row;
}

KeyMapData::Row rowFromBarKeys(std::string title, std::span<const int> keys, std::int64_t firstBar)
{
    KeyMapData::Row row{std::move(title), {}};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::int64_t bar = firstBar + std::int64_t(i);
        append(row.segments, bar, bar, keys[i]);
    }
    return row;
}

int keyAt(const KeyMapData::Row &row, std::int64_t position)
{
    auto it = std::upper_bound(row.segments.begin(), row.segments.end(), position,
                               [](std::int64_t p, const KeyMapSegment &s) { return p < s.firstBar; });
    if (it == row.segments.begin())
        return 0;
    --it;
    return position <= it->lastBar && isKeyCode(it->keyCode) ? it->keyCode : 0;
}

std::vector<int> keysPresent(const KeyMapData &data)
{
    std::vector<int> keys;
    for (const KeyMapData::Row &row : data.rows)
        for (const KeyMapSegment &s : row.segments)
            if (isKeyCode(s.keyCode) && std::find(keys.begin(), keys.end(), s.keyCode) == keys.end())
                keys.push_back(s.keyCode);
    std::sort(keys.begin(), keys.end(), [](int a, int b) {
        const int pa = fifthsPosition(a), pb = fifthsPosition(b);
        return pa != pb ? pa < pb : isMajorKey(a) > isMajorKey(b);
    });
    return keys;
}

void recordKey(KeyMapData &data, std::size_t row, std::int64_t position, int keyCode, bool unsure,
               std::optional<int> keyFifths)
{
    if (position < data.first())
        return;
    if (data.rows.size() <= row)
        data.rows.resize(row + 1);
    data.bars = std::max(data.bars, position - data.first() + 1);
    const int code = isKeyCode(keyCode) ? keyCode : 0;
    unsure = unsure && code != 0;
    if (code == 0)
        keyFifths.reset();

    std::vector<KeyMapSegment> &segments = data.rows[row].segments;
    // A correction of the recent past: what was recorded from here on gives way.
    while (!segments.empty() && segments.back().firstBar >= position)
        segments.pop_back();
    if (!segments.empty()) {
        KeyMapSegment &back = segments.back();
        if (back.keyCode == code && back.unsure == unsure && back.keyFifths == keyFifths) {
            back.lastBar = position;
            return;
        }
        back.lastBar = position - 1; // the key held until now
    }
    segments.push_back({position, position, code, unsure, keyFifths});
}

} // namespace tunedeck
