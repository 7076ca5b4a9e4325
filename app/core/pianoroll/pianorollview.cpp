#include "core/pianoroll/pianorollview.h"

#include <algorithm>
#include <cmath>

namespace tunedeck {

namespace {

RollWindow startingAt(std::int64_t from, std::int64_t span)
{
    from = std::clamp<std::int64_t>(from, 0, INT32_MAX - span);
    return {std::int32_t(from), std::int32_t(from + span)};
}

} // namespace

RollWindow wholePiece(std::int32_t endMs)
{
    return {0, std::max(endMs, 1000)};
}

RollWindow followPosition(RollWindow window, std::int32_t positionMs)
{
    if (positionMs >= window.fromMs && positionMs < window.toMs)
        return window;
    return startingAt(std::int64_t(positionMs) - window.span() / 10, window.span());
}

RollWindow zoomWindow(RollWindow window, double factor, std::int32_t anchorMs)
{
    const double span = window.span();
    const double newSpan = std::clamp(span * factor, double(MinRollSpanMs), double(MaxRollSpanMs));
    const double at = std::clamp((anchorMs - window.fromMs) / span, 0.0, 1.0);
    const auto from = std::int64_t(std::llround(anchorMs - at * newSpan));
    return startingAt(from, std::int64_t(std::llround(newSpan)));
}

RollWindow scrollWindow(RollWindow window, std::int32_t deltaMs)
{
    return startingAt(std::int64_t(window.fromMs) + deltaMs, window.span());
}

} // namespace tunedeck
