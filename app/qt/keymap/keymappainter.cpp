#include "qt/keymap/keymappainter.h"

#include "core/base/keynames.h"
#include "qt/keymap/keycolours.h"
#include "qt/keymap/keymaplayout.h"
#include "qt/keymap/keymaptext.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tunedeck {

namespace {

// A key's ground, and for a minor its lines rising to the right. The lines are laid on one
// grid for the whole map, so neighbouring minors read as one pattern.
void fillKey(QPainter &painter, const QRectF &box, const KeyFill &fill, const QFontMetricsF &fm)
{
    painter.fillRect(box, fill.ground);
    if (!fill.hatch.isValid())
        return;
    const double spacing = std::max(4.0, std::round(fm.height() * 0.45));
    painter.save();
    painter.setClipRect(box);
    painter.setPen(QPen(fill.hatch, std::max(1.0, std::round(fm.height() * 0.09))));
    for (double c = std::floor((box.left() + box.top()) / spacing) * spacing; c <= box.right() + box.bottom();
         c += spacing)
        painter.drawLine(QPointF(c - box.top(), box.top()), QPointF(c - box.bottom(), box.bottom()));
    painter.restore();
}

constexpr double UnsureOpacity = 0.45;

void paintStretches(QPainter &painter, const std::vector<KeyMapLayout::Stretch> &stretches, const QFontMetricsF &fm)
{
    for (const KeyMapLayout::Stretch &s : stretches) {
        // A key shown with its doubt is the same colour, paler: still readable, plainly unsure.
        painter.setOpacity(s.unsure ? UnsureOpacity : 1.0);
        fillKey(painter, s.box, keyFill(s.keyCode), fm);
    }
    painter.setOpacity(1.0);
}

// After the grid, so no line runs through a name; a minor's lines stop around it.
void paintLabels(QPainter &painter, const std::vector<KeyMapLayout::Stretch> &stretches, const QFontMetricsF &fm)
{
    const double clear = std::round(fm.height() * 0.15);
    for (const KeyMapLayout::Stretch &s : stretches) {
        if (s.label.isEmpty())
            continue;
        const QColor ground = keyFill(s.keyCode).ground;
        painter.setOpacity(s.unsure ? UnsureOpacity : 1.0);
        painter.fillRect(s.labelBox.adjusted(-clear, 0, clear, 0).intersected(s.box), ground);
        painter.setOpacity(1.0);
        painter.setPen(textColourOn(ground));
        painter.drawText(s.labelBox, Qt::AlignCenter, s.label);
    }
}

void paintGrid(QPainter &painter, const KeyMapLayout &layout, const QPalette &palette)
{
    // Faint lines through the rows help read a bar off the strip.
    QColor grid = palette.color(QPalette::Mid);
    grid.setAlphaF(0.45f);
    for (std::int64_t position : layout.ticks())
        if (position != layout.first)
            painter.fillRect(QRectF(std::round(layout.xOf(position)), layout.strip.top(), 1, layout.strip.height()), grid);
}

void paintRuler(QPainter &painter, const KeyMapLayout &layout, const KeyMapData &data,
                const QPalette &palette, const QFontMetricsF &fm)
{
    const QRectF &ruler = layout.ruler;
    const double tick = std::round(fm.height() * 0.35);
    painter.setPen(palette.color(QPalette::WindowText));
    painter.drawText(layout.unitText, Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(data.unitLabel()));

    double lastLabelRight = -1e9;
    for (std::int64_t position : layout.ticks()) {
        const double x = std::round(layout.xOf(position));
        painter.fillRect(QRectF(x, ruler.top(), 1, tick), palette.color(QPalette::Mid));

        const QString label = QString::number(position);
        const double width = fm.horizontalAdvance(label);
        const double left = std::clamp(x - width / 2, ruler.left(), ruler.right() - width);
        if (left < lastLabelRight + fm.height() * 0.3)
            continue;
        painter.drawText(QRectF(left, ruler.top() + tick, width + 1, fm.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, label);
        lastLabelRight = left + width;
    }
}

} // namespace

void paintKeyMap(QPainter &painter, const KeyMapData &data, const QSizeF &size,
                 const QPalette &palette, std::optional<std::int64_t> highlight)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QFontMetricsF fm(painter.font(), painter.device());
    const KeyMapLayout layout = layoutKeyMap(data, size, fm);

    painter.fillRect(QRectF(QPointF(0, 0), size), palette.window());

    for (std::size_t i = 0; i < data.rows.size(); ++i) {
        painter.setPen(palette.color(QPalette::WindowText));
        const QString title = QString::fromStdString(data.rows[i].title);
        painter.drawText(layout.titles[i], Qt::AlignRight | Qt::AlignVCenter,
                         fm.elidedText(title, Qt::ElideRight, layout.titles[i].width()));
        painter.fillRect(layout.rows[i], palette.base());
        paintStretches(painter, layout.stretches[i], fm);
    }
    paintGrid(painter, layout, palette);
    for (std::size_t i = 0; i < data.rows.size(); ++i) {
        paintLabels(painter, layout.stretches[i], fm);
        painter.setPen(palette.color(QPalette::Mid));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(layout.rows[i].adjusted(0, 0, -1, -1));
    }
    paintRuler(painter, layout, data, palette, fm);

    if (highlight && *highlight >= layout.first && *highlight < layout.first + layout.count) {
        const double left = std::round(layout.xOf(*highlight));
        const double right = std::max(left + 1, std::round(layout.xOf(*highlight + 1)));
        painter.setPen(QPen(palette.color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(left, layout.strip.top(), right - left, layout.strip.height()).adjusted(0, 1, 0, -1));
    }

    for (const KeyMapLayout::LegendItem &item : layout.legend) {
        if (item.more > 0) {
            painter.setPen(palette.color(QPalette::WindowText));
            painter.drawText(item.text, Qt::AlignLeft | Qt::AlignVCenter, moreKeysText(item.more));
            continue;
        }
        fillKey(painter, item.swatch, keyFill(item.keyCode), fm);
        painter.setPen(palette.color(QPalette::Mid));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(item.swatch.adjusted(0, 0, -1, -1));
        painter.setPen(palette.color(QPalette::WindowText));
        painter.drawText(item.text, Qt::AlignLeft | Qt::AlignVCenter, keyMapKeyName(item.keyCode, data.notation));
    }
    painter.restore();
}

} // namespace tunedeck
