#include "qt/pianoroll/chordlane.h"

#include "core/harmony/romannumeral.h"
#include "core/pianoroll/chordlabels.h"

#include <QHash>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tunedeck {

namespace {

// A chord's names start this far into it: a narrow margin, so that short chords keep theirs.
double chordMargin(const QFontMetricsF &fm)
{
    return std::round(fm.height() * 0.15);
}

// Between two names, so that they read as two.
double labelGap(const QFontMetricsF &fm)
{
    return std::max(3.0, std::round(fm.height() * 0.4));
}

QColor mix(QRgb under, QRgb over, double opacity)
{
    const auto channel = [&](int a, int b) { return int(std::lround(a + (b - a) * opacity)); };
    return QColor(channel(qRed(under), qRed(over)), channel(qGreen(under), qGreen(over)),
                  channel(qBlue(under), qBlue(over)));
}

// The chord's names in their forms, the whole symbol first, and the spot they compete for.
struct Named {
    QString symbol, withoutBass, numeral;
};

// A piece repeats a few names many times: each is measured once.
class Widths {
public:
    explicit Widths(const QFontMetricsF &fm) : fm_(fm) {}
    double operator()(const QString &text)
    {
        auto it = known_.constFind(text);
        if (it == known_.constEnd())
            it = known_.insert(text, fm_.horizontalAdvance(text));
        return *it;
    }

private:
    const QFontMetricsF &fm_;
    QHash<QString, double> known_;
};

LabelSpot spotOf(const Named &n, double left, double weight, Widths &width, bool numerals)
{
    LabelSpot spot{left, weight, {}};
    const double under = numerals ? width(n.numeral) : 0;
    spot.forms.push_back(std::max(width(n.symbol), under));
    if (!n.withoutBass.isEmpty())
        spot.forms.push_back(std::max(width(n.withoutBass), under));
    return spot;
}

} // namespace

std::vector<ChordLaneCell> chordLaneCells(const PianoRollData &data, const PianoRollLayout &layout,
                                          const QFontMetricsF &labels, std::optional<std::size_t> focused)
{
    std::vector<ChordLaneCell> cells;
    const QRectF &lane = layout.chordLane;
    if (lane.isEmpty())
        return cells;
    const double pad = chordMargin(labels);
    const bool numerals = layout.chordNames == ChordNames::WithNumerals;
    std::vector<Named> names;
    std::vector<LabelSpot> spots;
    Widths width(labels);
    const RollWindow w = layout.window;
    auto it = std::upper_bound(data.chords.begin(), data.chords.end(), w.fromMs,
                               [](std::int32_t t, const RollChord &c) { return t < c.endMs; });
    for (; it != data.chords.end() && it->startMs < w.toMs; ++it) {
        ChordLaneCell cell;
        cell.chord = std::size_t(it - data.chords.begin());
        cell.left = std::max(layout.xOf(it->startMs), lane.left());
        cell.right = std::min(layout.xOf(it->endMs), lane.right());
        cell.labelLeft = cell.left + pad;
        cells.push_back(cell);
        const RollChordNames n = rollChordNames(*it);
        names.push_back({QString::fromStdString(n.symbol), QString::fromStdString(n.withoutBass),
                         QString::fromStdString(n.numeral)});
        const double weight = focused == cell.chord ? std::numeric_limits<double>::infinity() : labelWeight(*it);
        spots.push_back(it->chord.none() ? LabelSpot{cell.labelLeft, 0, {}}
                                         : spotOf(names.back(), cell.labelLeft, weight, width, numerals));
    }
    const auto chosen = chooseLabels(spots, lane.right(), labelGap(labels));
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!chosen[i])
            continue;
        cells[i].symbol = *chosen[i] == 0 ? names[i].symbol : names[i].withoutBass;
        if (numerals)
            cells[i].numeral = names[i].numeral;
    }
    return cells;
}

std::optional<std::size_t> chordAt(const PianoRollData &data, std::int32_t ms)
{
    auto it = std::upper_bound(data.chords.begin(), data.chords.end(), ms,
                               [](std::int32_t t, const RollChord &c) { return t < c.endMs; });
    if (it == data.chords.end() || it->startMs > ms || it->chord.none())
        return std::nullopt;
    return std::size_t(it - data.chords.begin());
}

QString chordTip(const RollChord &chord, ChordNames names)
{
    const std::string name = names == ChordNames::WithNumerals
                                  ? harmony::chordInKey(chord.chord, chord.keyCode, chord.written)
                                  : harmony::chordSymbol(chord.chord, chord.keyCode, chord.written);
    return QStringLiteral("%1\nBar %2, beat %3\nConfidence %4 %")
        .arg(QString::fromStdString(name))
        .arg(chord.bar)
        .arg(QString::number(std::round(chord.beat * 1000) / 1000, 'g', 6))
        .arg(std::lround(chord.confidence * 100));
}

void paintChordLane(QPainter &painter, const PianoRollData &data, const PianoRollLayout &layout,
                    const QPalette &palette, std::optional<std::size_t> focused)
{
    const QRectF &lane = layout.chordLane;
    if (lane.isEmpty())
        return;
    painter.save();
    const QRgb ground = palette.color(QPalette::Window).rgb(), text = palette.color(QPalette::WindowText).rgb();
    painter.fillRect(QRectF(layout.pitchAxis.left(), lane.top(), lane.right() - layout.pitchAxis.left(), lane.height()),
                     QColor(ground));
    // Shades of the window's text on its ground read in a light theme and a dark one alike;
    // by turns, so that a chord's ends show at every zoom, however narrow.
    const QColor shades[2] = {mix(ground, text, 0.1), mix(ground, text, 0.2)};
    const QFontMetricsF fm(painter.font(), painter.device());
    const std::vector<ChordLaneCell> cells = chordLaneCells(data, layout, fm, focused);
    const auto stretch = [&](const ChordLaneCell &cell) {
        const double x1 = std::round(cell.left), x2 = std::max(std::round(cell.right), x1 + 1);
        return QRectF(x1, lane.top(), x2 - x1, lane.height());
    };
    for (const ChordLaneCell &cell : cells)
        if (!data.chords[cell.chord].chord.none())
            painter.fillRect(stretch(cell), shades[cell.chord % 2]);
    for (const ChordLaneCell &cell : cells)
        if (cell.chord == focused) {
            painter.setPen(QPen(palette.color(QPalette::Highlight), 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(stretch(cell).adjusted(1, 1, -1, -1));
        }
    // The names after every stretch, as they may run on over the next ones.
    const bool numerals = layout.chordNames == ChordNames::WithNumerals;
    const double top = lane.top() + (lane.height() - (numerals ? 2 : 1) * fm.height()) / 2;
    painter.setPen(QColor(text));
    for (const ChordLaneCell &cell : cells) {
        if (cell.symbol.isEmpty())
            continue;
        const QRectF line(cell.labelLeft, top, lane.right() - cell.labelLeft, fm.height());
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, cell.symbol);
        if (numerals)
            painter.drawText(line.translated(0, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, cell.numeral);
    }
    painter.restore();
}

} // namespace tunedeck
