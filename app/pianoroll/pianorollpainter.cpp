#include "pianoroll/pianorollpainter.h"

#include "keymap/keycolours.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace tunedeck {

std::int32_t PianoRollLayout::msAt(double x) const
{
    const double ms = window.fromMs + (x - area.left()) * msPerPixel();
    return std::int32_t(std::clamp<double>(std::llround(ms), INT32_MIN, INT32_MAX));
}

PianoRollLayout layoutPianoRoll(const PianoRollData &data, const QRectF &area, RollWindow window)
{
    PianoRollLayout layout;
    layout.area = area;
    layout.window = window;
    layout.lowPitch = data.lowPitch;
    layout.highPitch = std::max(data.highPitch, data.lowPitch);
    return layout;
}

QColor channelColour(int channel)
{
    if (channel == 9)
        return QColor(110, 110, 110);
    // Steps of 7/16 of the circle put neighbouring channels far apart; alternate lightness
    // tells apart the pairs whose hues still come close.
    const int hue = (channel * 7 % 16) * 360 / 16;
    return QColor::fromHsv(hue, 200, channel % 2 ? 150 : 200);
}

namespace {

// Pale enough that the notes stay the strongest thing on the roll.
constexpr double KeyTintOpacity = 0.45;
constexpr double UnsureTintOpacity = 0.2;

void paintKeys(QPainter &painter, const PianoRollData &data, const PianoRollLayout &layout)
{
    const RollWindow w = layout.window;
    auto it = std::upper_bound(data.keys.begin(), data.keys.end(), w.fromMs,
                               [](std::int32_t t, const RollKey &k) { return t < k.endMs; });
    const QRectF &area = layout.area;
    const double spacing = 8;
    for (; it != data.keys.end() && it->startMs < w.toMs; ++it) {
        const double left = std::max(area.left(), layout.xOf(it->startMs));
        const double right = std::min(area.right(), layout.xOf(it->endMs));
        if (right <= left)
            continue;
        const QRectF box(left, area.top(), right - left, area.height());
        const KeyFill fill = keyFill(it->keyCode);
        if (!fill.ground.isValid())
            continue;
        painter.setOpacity(it->unsure ? UnsureTintOpacity : KeyTintOpacity);
        painter.fillRect(box, fill.ground);
        if (fill.hatch.isValid()) { // a minor: its lines, as on the key map
            painter.save();
            painter.setClipRect(box);
            painter.setPen(QPen(fill.hatch, 1));
            for (double c = std::floor((box.left() + box.top()) / spacing) * spacing;
                 c <= box.right() + box.bottom(); c += spacing)
                painter.drawLine(QPointF(c - box.top(), box.top()), QPointF(c - box.bottom(), box.bottom()));
            painter.restore();
        }
    }
    painter.setOpacity(1.0);
}

void paintBlackKeyRows(QPainter &painter, const PianoRollLayout &layout, const QColor &shade)
{
    constexpr std::array<bool, 12> black = {false, true, false, true, false, false, true, false, true, false, true, false};
    const double h = layout.rowHeight();
    for (int p = layout.lowPitch; p <= layout.highPitch; ++p)
        if (black[p % 12])
            painter.fillRect(QRectF(layout.area.left(), layout.yOf(p), layout.area.width(), h), shade);
}

// Notes drawn on whole pixels, each pitch's run of touching notes of one channel as one
// rectangle: the whole of a long piece costs at most about a rectangle per pixel and row.
void paintNotes(QPainter &painter, const PianoRollData &data, const PianoRollLayout &layout)
{
    struct Run {
        int x1 = 0, x2 = 0, channel = -1;
    };
    std::array<Run, 128> runs;
    const double h = layout.rowHeight();
    const int gap = h >= 4 ? 1 : 0; // a line between rows, when they are tall enough
    const std::array<QColor, 16> colours = [] {
        std::array<QColor, 16> c;
        for (int i = 0; i < 16; ++i)
            c[i] = channelColour(i);
        return c;
    }();
    const auto flush = [&](int pitch) {
        Run &r = runs[pitch];
        if (r.channel < 0)
            return;
        const int top = int(std::lround(layout.yOf(pitch)));
        const int bottom = int(std::lround(layout.yOf(pitch) + h)) - gap;
        painter.fillRect(QRect(r.x1, top, r.x2 - r.x1, std::max(1, bottom - top)), colours[r.channel]);
        r.channel = -1;
    };
    const double left = layout.area.left(), right = layout.area.right();
    forEachNoteIn(data, layout.window.fromMs, layout.window.toMs, [&](std::size_t, const RollNote &n) {
        if (n.pitch < layout.lowPitch || n.pitch > layout.highPitch)
            return;
        const int x1 = int(std::floor(std::max(left, layout.xOf(n.startMs))));
        const int x2 = std::max(x1 + 1, int(std::floor(std::min(right, layout.xOf(n.endMs)))));
        Run &r = runs[n.pitch];
        if (r.channel == n.channel && x1 <= r.x2) {
            r.x2 = std::max(r.x2, x2);
            return;
        }
        flush(n.pitch);
        r = {x1, x2, n.channel};
    });
    for (int p = 0; p < 128; ++p)
        flush(p);
}

} // namespace

void paintPianoRoll(QPainter &painter, const PianoRollData &data, const PianoRollLayout &layout,
                    const QPalette &palette, std::optional<std::int32_t> playMs)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(layout.area);
    painter.fillRect(layout.area, palette.color(QPalette::Base));
    paintKeys(painter, data, layout);
    QColor shade = palette.color(QPalette::Text);
    shade.setAlpha(18);
    paintBlackKeyRows(painter, layout, shade);
    paintNotes(painter, data, layout);
    if (playMs && *playMs >= layout.window.fromMs && *playMs <= layout.window.toMs) {
        const double x = std::round(layout.xOf(*playMs));
        painter.fillRect(QRectF(x - 1, layout.area.top(), 2, layout.area.height()),
                         palette.color(QPalette::Highlight));
    }
    painter.restore();
}

} // namespace tunedeck
