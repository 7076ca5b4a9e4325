// Which stretch of time the piano roll shows: the whole piece, or a window that follows the
// play position and zooms about a point. Plain C++, so the widget only asks.
#ifndef TUNEDECK_CORE_PIANOROLL_PIANOROLLVIEW_H
#define TUNEDECK_CORE_PIANOROLL_PIANOROLLVIEW_H

#include <cstdint>

namespace tunedeck {

struct RollWindow {
    std::int32_t fromMs = 0;
    std::int32_t toMs = 1; // exclusive, after fromMs

    std::int32_t span() const { return toMs - fromMs; }
    friend bool operator==(const RollWindow &, const RollWindow &) = default;
};

// The shortest and longest window zooming reaches.
inline constexpr std::int32_t MinRollSpanMs = 500;
inline constexpr std::int32_t MaxRollSpanMs = 60 * 60 * 1000;
// The window a play starts with.
inline constexpr std::int32_t DefaultRollSpanMs = 20 * 1000;

// The whole piece, at least a second long.
RollWindow wholePiece(std::int32_t endMs);

// The window moved as little as a page at a time so that the position stays in sight: while
// it lies inside the window nothing moves; past either end the window turns a page, placing
// the position a tenth of the way in, so the music ahead is in sight.
RollWindow followPosition(RollWindow window, std::int32_t positionMs);

// The window zoomed by factor (above 1 shows more time) about anchorMs, which stays at the
// same place across the view; the span is kept between MinRollSpanMs and MaxRollSpanMs and
// the window does not start before 0.
RollWindow zoomWindow(RollWindow window, double factor, std::int32_t anchorMs);

// The window moved by deltaMs, not before 0.
RollWindow scrollWindow(RollWindow window, std::int32_t deltaMs);

} // namespace tunedeck

#endif
