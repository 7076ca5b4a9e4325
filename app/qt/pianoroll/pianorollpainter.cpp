#include "qt/pianoroll/pianorollpainter.h"

#include "core/harmony/romannumeral.h"
#include "qt/keymap/keycolours.h"

#include <QImage>
#include <QPainter>
#include <QPointF>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace tunedeck {

std::int32_t PianoRollLayout::msAt(double x) const
{
    const double ms = window.fromMs + (x - area.left()) * msPerPixel();
    return std::int32_t(std::clamp<double>(std::llround(ms), INT32_MIN, INT32_MAX));
}

std::vector<std::int32_t> PianoRollLayout::timeTicks() const
{
    std::vector<std::int32_t> ticks;
    if (tickMs <= 0)
        return ticks;
    for (std::int64_t t = (std::int64_t(window.fromMs) + tickMs - 1) / tickMs * tickMs; t < window.toMs; t += tickMs)
        ticks.push_back(std::int32_t(t));
    return ticks;
}

std::vector<int> PianoRollLayout::pitchLabels() const
{
    std::vector<int> pitches;
    if (pitchAxis.isEmpty())
        return pitches;
    for (int p = (lowPitch + 11) / 12 * 12; p <= highPitch; p += 12)
        if ((p / 12) % octavesPerLabel == 0)
            pitches.push_back(p);
    return pitches;
}

QString pitchName(int pitch)
{
    static const char *const names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return QLatin1String(names[pitch % 12]) + QString::number(pitch / 12 - 1);
}

QString rollTimeText(std::int32_t ms)
{
    const std::int32_t s = ms / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

namespace {

double labelPad(const QFontMetricsF &fm)
{
    return std::round(fm.height() * 0.3);
}

double timeStrip(const QFontMetricsF &fm)
{
    return std::ceil(fm.height() + labelPad(fm));
}

double chordLaneHeight(const QFontMetricsF &fm, ChordNames chordNames)
{
    return std::ceil(fm.height() * (chordNames == ChordNames::WithNumerals ? 2 : 1) + labelPad(fm));
}

} // namespace

double rollHeadHeight(const QFontMetricsF &labels)
{
    return timeStrip(labels) + chordLaneHeight(labels, ChordNames::WithNumerals);
}

PianoRollLayout layoutPianoRoll(const PianoRollData &data, const QRectF &area, RollWindow window,
                                const QFontMetricsF *labels, ChordNames chordNames)
{
    PianoRollLayout layout;
    layout.area = area;
    layout.window = window;
    layout.chordNames = chordNames;
    layout.lowPitch = data.lowPitch;
    layout.highPitch = std::max(data.highPitch, data.lowPitch);
    if (!labels)
        return layout;
    const QFontMetricsF &fm = *labels;
    const double pad = labelPad(fm);
    const double gutter = std::ceil(std::max(fm.horizontalAdvance(QStringLiteral("C-1")),
                                             fm.horizontalAdvance(QStringLiteral("C9"))) + 2 * pad);
    const double strip = timeStrip(fm);
    if (area.width() <= 2 * gutter || area.height() <= 2 * strip)
        return layout; // too small for labels: the notes keep what there is
    layout.area = area.adjusted(gutter, strip, 0, 0);
    layout.timeAxis = QRectF(layout.area.left(), area.top(), layout.area.width(), strip);
    // The chords under the times, where the notes keep at least a strip's height.
    const double lane = chordLaneHeight(fm, chordNames);
    if (!data.chords.empty() && layout.area.height() > lane + strip) {
        layout.chordLane = QRectF(layout.area.left(), layout.area.top(), layout.area.width(), lane);
        layout.area.setTop(layout.chordLane.bottom());
    }
    layout.pitchAxis = QRectF(area.left(), layout.area.top(), gutter, layout.area.height());
    // The shortest step whose labels keep a gap between them.
    static constexpr std::int32_t steps[] = {1000, 2000, 5000, 10000, 15000, 30000, 60000, 120000,
                                             300000, 600000, 900000, 1800000, 3600000};
    const double room = fm.horizontalAdvance(rollTimeText(window.toMs)) + 3 * pad;
    layout.tickMs = steps[std::size(steps) - 1];
    for (std::int32_t step : steps)
        if (step / layout.msPerPixel() >= room) {
            layout.tickMs = step;
            break;
        }
    // An octave's height for each name, at least.
    while (layout.rowHeight() * 12 * layout.octavesPerLabel < fm.height() && layout.octavesPerLabel < 16)
        layout.octavesPerLabel *= 2;
    return layout;
}

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

// A chord's names keep this far from its ends: a narrow margin, so that short chords keep theirs.
double chordMargin(const QFontMetricsF &fm)
{
    return std::round(fm.height() * 0.15);
}

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

// The lane over the notes: each chord's stretch in one of two shades by turns, so that its
// ends show at every zoom, however narrow; a stretch without a chord in the lane's ground.
// Its names in it as they fit.
void paintChordLane(QPainter &painter, const PianoRollData &data, const PianoRollLayout &layout,
                    const QPalette &palette)
{
    const QRectF &lane = layout.chordLane;
    if (lane.isEmpty())
        return;
    painter.save();
    const QRgb ground = palette.color(QPalette::Window).rgb(), text = palette.color(QPalette::WindowText).rgb();
    painter.fillRect(QRectF(layout.pitchAxis.left(), lane.top(), lane.right() - layout.pitchAxis.left(), lane.height()),
                     QColor(ground));
    // Shades of the window's text on its ground read in a light theme and a dark one alike.
    const QColor shades[2] = {QColor(mix(ground, text, 0.1)), QColor(mix(ground, text, 0.2))};
    const QFontMetricsF fm(painter.font(), painter.device());
    const double pad = chordMargin(fm);
    const bool numerals = layout.chordNames == ChordNames::WithNumerals;
    const double top = lane.top() + (lane.height() - (numerals ? 2 : 1) * fm.height()) / 2;
    painter.setPen(QColor(text));
    for (const ChordLaneCell &cell : chordLaneCells(data, layout, fm)) {
        if (data.chords[cell.chord].chord.none())
            continue;
        const double x1 = std::round(cell.left), x2 = std::max(std::round(cell.right), x1 + 1);
        painter.fillRect(QRectF(x1, lane.top(), x2 - x1, lane.height()), shades[cell.chord % 2]);
        const QRectF line(cell.left + pad, top, std::max(0.0, cell.right - cell.left - pad), fm.height());
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, cell.symbol);
        if (numerals)
            painter.drawText(line.translated(0, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, cell.numeral);
    }
    painter.restore();
}

} // namespace

std::vector<ChordLaneCell> chordLaneCells(const PianoRollData &data, const PianoRollLayout &layout,
                                          const QFontMetricsF &labels)
{
    std::vector<ChordLaneCell> cells;
    const QRectF &lane = layout.chordLane;
    if (lane.isEmpty())
        return cells;
    const double pad = chordMargin(labels);
    // A name cut to its ellipsis alone would say nothing: left out, as the Cs' names are.
    const auto fitted = [&](const std::string &name, double room) {
        const QString whole = QString::fromStdString(name);
        const QString elided = labels.elidedText(whole, Qt::ElideRight, room);
        // Qt hands back a first letter or an ellipsis that does not fit where nothing would.
        const bool says = !elided.isEmpty() && elided.front() == whole.front() && labels.horizontalAdvance(elided) <= room;
        return says ? elided : QString();
    };
    const RollWindow w = layout.window;
    auto it = std::upper_bound(data.chords.begin(), data.chords.end(), w.fromMs,
                               [](std::int32_t t, const RollChord &c) { return t < c.endMs; });
    for (; it != data.chords.end() && it->startMs < w.toMs; ++it) {
        ChordLaneCell cell;
        cell.chord = std::size_t(it - data.chords.begin());
        cell.left = std::max(layout.xOf(it->startMs), lane.left());
        cell.right = std::min(layout.xOf(it->endMs), lane.right());
        const double room = cell.right - cell.left - 2 * pad;
        if (!it->chord.none() && room > 0) {
            cell.symbol = fitted(harmony::chordSymbol(it->chord, it->keyCode, it->written), room);
            if (layout.chordNames == ChordNames::WithNumerals)
                cell.numeral = fitted(harmony::romanNumeral(it->chord, it->keyCode), room);
        }
        cells.push_back(cell);
    }
    return cells;
}

void paintPianoRoll(QPainter &painter, const PianoRollData &data, const PianoRollLayout &shown,
                    const QPalette &palette, std::optional<std::int32_t> playMs)
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
    paintChordLane(painter, data, shown, palette);
}

} // namespace tunedeck
