#include "qt/pianoroll/pianorollpainter.h"

#include "qt/keymap/keycolours.h"

#include <QImage>
#include <QPainter>
#include <QPointF>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace tunedeck {

QColor channelColour(int channel)
{
    if (channel == 9)
        return QColor(110, 110, 110);
    // Hues far apart for the first eight channels; the upper eight repeat them darker.
    constexpr int hues[8] = {0, 215, 120, 35, 275, 175, 60, 320};
    return QColor::fromHsv(hues[channel % 8], 210, channel < 8 ? 195 : 125);
}

namespace {

// Pale enough that the notes stay the strongest thing on the roll.
constexpr double KeyTintOpacity = 0.45;
constexpr double UnsureTintOpacity = 0.2;
constexpr double BlackRowShade = 0.07;
constexpr double MutedNoteOpacity = 0.3;
constexpr int HatchSpacing = 8;

QRgb mix(QRgb under, QRgb over, double opacity)
{
    const auto channel = [&](int a, int b) { return int(std::lround(a + (b - a) * opacity)); };
    return qRgb(channel(qRed(under), qRed(over)), channel(qGreen(under), qGreen(over)),
                channel(qBlue(under), qBlue(over)));
}

// Each column's ground: the palette's base tinted by the key there, and for a minor its
// lines' colour.
struct Columns {
    std::vector<QRgb> ground, shaded, hatch; // hatch 0 where no lines
};

Columns columns(const PianoRollData &data, const PianoRollLayout &layout, int width, const QPalette &palette)
{
    const QRgb base = palette.color(QPalette::Base).rgb();
    Columns c{std::vector<QRgb>(width, base), {}, std::vector<QRgb>(width, 0)};
    const RollWindow w = layout.window;
    const double left = layout.area.left();
    auto it = std::upper_bound(data.keys.begin(), data.keys.end(), w.fromMs,
                               [](std::int32_t t, const RollKey &k) { return t < k.endMs; });
    for (; it != data.keys.end() && it->startMs < w.toMs; ++it) {
        const KeyFill fill = keyFill(it->keyCode);
        if (!fill.ground.isValid())
            continue;
        const double opacity = it->unsure ? UnsureTintOpacity : KeyTintOpacity;
        const int x1 = std::clamp(int(std::lround(layout.xOf(it->startMs) - left)), 0, width);
        const int x2 = std::clamp(int(std::lround(layout.xOf(it->endMs) - left)), x1, width);
        std::fill(c.ground.begin() + x1, c.ground.begin() + x2, mix(base, fill.ground.rgb(), opacity));
        if (fill.hatch.isValid())
            std::fill(c.hatch.begin() + x1, c.hatch.begin() + x2, mix(base, fill.hatch.rgb(), opacity) | 0xFF000000u);
    }
    const QRgb text = palette.color(QPalette::Text).rgb();
    c.shaded.resize(width);
    for (int x = 0; x < width; ++x)
        c.shaded[x] = mix(c.ground[x], text, BlackRowShade);
    return c;
}

// The times above the notes and the Cs' names beside them, in the window's colours, so
// they read in a light theme and a dark one alike.
void paintLabels(QPainter &painter, const PianoRollLayout &layout, const QPalette &palette)
{
    if (layout.timeAxis.isEmpty() || layout.pitchAxis.isEmpty())
        return;
    painter.save();
    const QRectF corner(layout.pitchAxis.left(), layout.timeAxis.top(), layout.pitchAxis.width(),
                        layout.timeAxis.height());
    for (const QRectF &r : {layout.timeAxis, layout.pitchAxis, corner})
        painter.fillRect(r, palette.window());
    const QFontMetricsF fm(painter.font(), painter.device());
    const double tick = std::max(2.0, std::round(fm.height() * 0.25));
    for (std::int32_t ms : layout.timeTicks()) {
        const double x = std::round(layout.xOf(ms));
        painter.setPen(palette.color(QPalette::Mid));
        painter.drawLine(QPointF(x, layout.timeAxis.bottom() - tick), QPointF(x, layout.timeAxis.bottom()));
        painter.setPen(palette.color(QPalette::WindowText));
        const QString text = rollTimeText(ms);
        const double w = fm.horizontalAdvance(text);
        // The first label starts at its tick; the rest are centred on theirs, inside the strip.
        const double at = std::clamp(x - w / 2, layout.timeAxis.left(), layout.timeAxis.right() - w);
        painter.drawText(QRectF(at, layout.timeAxis.top(), w + 1, layout.timeAxis.height() - tick),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    painter.setPen(palette.color(QPalette::WindowText));
    const double pad = std::round(fm.height() * 0.3);
    for (int pitch : layout.pitchLabels()) {
        const double middle = layout.yOf(pitch) + layout.rowHeight() / 2;
        const QRectF box(layout.pitchAxis.left(), middle - fm.height() / 2, layout.pitchAxis.width() - pad, fm.height());
        if (layout.pitchAxis.contains(box)) // a name half cut off would read as another
            painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, pitchName(pitch));
    }
    painter.restore();
}

} // namespace

void paintPianoRoll(QPainter &painter, const PianoRollData &data, const PianoRollLayout &shown,
                    const QPalette &palette, std::optional<std::int32_t> playMs,
                    std::optional<std::size_t> focusedChord)
{
    // The roll is written straight into an image of the area's pixels and drawn in one call:
    // the whole of a long piece is tens of thousands of notes a pixel or two wide, and that
    // many fills through the painter cost far more than the writes.
    // In the device's pixels, so that a screen at 2x gets a sharp roll.
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    PianoRollLayout layout = shown;
    layout.area = QRectF(0, 0, std::ceil(shown.area.width() * ratio), std::ceil(shown.area.height() * ratio));
    const int width = int(layout.area.width()), height = int(layout.area.height());
    if (width <= 0 || height <= 0)
        return;
    QImage image(width, height, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    const auto bytesPerLine = image.bytesPerLine();
    uchar *bits = image.bits();
    const auto line = [&](int y) { return reinterpret_cast<QRgb *>(bits + y * bytesPerLine); };

    const Columns ground = columns(data, layout, width, palette);
    constexpr std::array<bool, 12> black = {false, true, false, true, false, false, true, false, true, false, true, false};
    const double h = layout.rowHeight();
    for (int y = 0; y < height; ++y) {
        const int pitch = std::clamp(layout.highPitch - int(y / h), layout.lowPitch, layout.highPitch);
        const auto &row = black[pitch % 12] ? ground.shaded : ground.ground;
        QRgb *out = line(y);
        std::copy(row.begin(), row.end(), out);
        for (int x = (HatchSpacing - y % HatchSpacing) % HatchSpacing; x < width; x += HatchSpacing)
            if (ground.hatch[x]) // a minor's lines, rising to the right as on the key map
                out[x] = ground.hatch[x];
    }

    // A muted channel's notes stay in sight, faded into the ground.
    std::array<QRgb, 16> colours, faded;
    const QRgb base = palette.color(QPalette::Base).rgb();
    for (int i = 0; i < 16; ++i) {
        colours[i] = channelColour(i).rgb();
        faded[i] = mix(base, colours[i], MutedNoteOpacity);
    }
    const int gap = h >= 4 ? 1 : 0; // a line between rows, when they are tall enough
    const double left = layout.area.left();
    forEachNoteIn(data, layout.window.fromMs, layout.window.toMs, [&](std::size_t, const RollNote &n) {
        if (n.pitch < layout.lowPitch || n.pitch > layout.highPitch)
            return;
        const int x1 = std::clamp(int(std::floor(layout.xOf(n.startMs) - left)), 0, width - 1);
        const int x2 = std::clamp(int(std::floor(layout.xOf(n.endMs) - left)), x1 + 1, width);
        const double top = (layout.highPitch - n.pitch) * h;
        const int y1 = std::clamp(int(top + 0.5), 0, height - 1);
        const int y2 = std::clamp(int(top + h + 0.5) - gap, y1 + 1, height);
        for (int y = y1; y < y2; ++y)
            std::fill_n(line(y) + x1, x2 - x1, (n.muted ? faded : colours)[n.channel & 15]);
    });

    if (playMs && *playMs >= layout.window.fromMs && *playMs <= layout.window.toMs) {
        const QRgb mark = palette.color(QPalette::Highlight).rgb();
        const int x = std::clamp(int(std::lround(layout.xOf(*playMs) - left)), 1, width - 1);
        for (int y = 0; y < height; ++y)
            line(y)[x - 1] = line(y)[x] = mark;
    }
    painter.drawImage(shown.area.topLeft(), image);
    paintLabels(painter, shown, palette);
    paintChordLane(painter, data, shown, palette, focusedChord);
}

} // namespace tunedeck
