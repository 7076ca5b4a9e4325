#include "qt/pianoroll/pianorolllayout.h"

#include <algorithm>
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

} // namespace tunedeck
