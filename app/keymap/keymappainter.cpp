#include "keymap/keymappainter.h"

#include "base/keynames.h"
#include "keymap/keycolours.h"
#include "keymap/keymaplayout.h"
#include "keymap/keymaptext.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tunedeck {

namespace {

void paintRow(QPainter &painter, const KeyMapLayout &layout, const QRectF &rect,
              const KeyMapData::Row &row, const QPalette &palette, const QFontMetricsF &fm)
{
    painter.fillRect(rect, palette.base());
    const double textMargin = fm.height() * 0.25;
    for (const KeyMapSegment &s : row.segments) {
        const QColor colour = keyColour(s.keyCode);
        if (!colour.isValid())
            continue;
        const double left = std::max(rect.left(), std::round(layout.xOf(s.firstBar)));
        const double right = std::min(rect.right(), std::round(layout.xOf(s.lastBar + 1)));
        if (right <= left)
            continue;
        const QRectF box(left, rect.top(), right - left, rect.height());
        painter.fillRect(box, colour);
        // A one-pixel seam keeps neighbouring stretches of close hues apart.
        if (right - left > 2)
            painter.fillRect(QRectF(right - 1, rect.top(), 1, rect.height()), palette.base());

        const QString name = QString::fromStdString(shortKeyName(s.keyCode));
        if (fm.horizontalAdvance(name) + 2 * textMargin <= box.width() && fm.height() <= box.height()) {
            painter.setPen(textColourOn(colour));
            painter.drawText(box, Qt::AlignCenter, name);
        }
    }
    painter.setPen(palette.color(QPalette::Mid));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

void paintRuler(QPainter &painter, const KeyMapLayout &layout, const KeyMapData &data,
                const QPalette &palette, const QFontMetricsF &fm)
{
    const QRectF &ruler = layout.ruler;
    const double tick = std::round(fm.height() * 0.35);
    const QColor line = palette.color(QPalette::Mid);
    QColor grid = line;
    grid.setAlphaF(0.45f);
    painter.setPen(palette.color(QPalette::WindowText));
    painter.drawText(layout.unitText, Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(data.unitLabel()));

    double lastLabelRight = -1e9;
    for (std::int64_t position : layout.ticks()) {
        const double x = std::round(layout.xOf(position));
        // Faint lines through the rows help read a bar off the strip.
        if (position != layout.first)
            painter.fillRect(QRectF(x, layout.strip.top(), 1, layout.strip.height()), grid);
        painter.fillRect(QRectF(x, ruler.top(), 1, tick), line);

        const QString label = QString::number(position);
        const double width = fm.horizontalAdvance(label);
        const double left = std::clamp(x - width / 2, ruler.left(), ruler.right() - width);
        if (left < lastLabelRight + fm.height() * 0.3)
            continue;
        painter.setPen(palette.color(QPalette::WindowText));
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
        paintRow(painter, layout, layout.rows[i], data.rows[i], palette, fm);
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
        painter.fillRect(item.swatch, keyColour(item.keyCode));
        painter.setPen(palette.color(QPalette::Mid));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(item.swatch.adjusted(0, 0, -1, -1));
        painter.setPen(palette.color(QPalette::WindowText));
        painter.drawText(item.text, Qt::AlignLeft | Qt::AlignVCenter, keyMapKeyName(item.keyCode));
    }
    painter.restore();
}

} // namespace tunedeck
