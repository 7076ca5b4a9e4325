#include "qt/keymap/keymaplayout.h"

#include "core/base/keycodes.h"
#include "core/base/keynames.h"
#include "qt/keymap/keymaptext.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

namespace tunedeck {

namespace {

// Sizes follow the font, so the map reads the same on any screen, picture or resolution.
struct Metrics {
    explicit Metrics(const QFontMetricsF &fm)
        : line(fm.height()), pad(std::round(fm.height() * 0.5)), gap(std::max(2.0, std::round(fm.height() * 0.15))),
          rowMin(std::round(fm.height() * 1.3)), rowComfort(std::round(fm.height() * 1.9)),
          tick(std::round(fm.height() * 0.35)), swatch(std::round(fm.height() * 0.8)),
          legendLine(std::round(fm.height() * 1.35))
    {}
    double line, pad, gap, rowMin, rowComfort, tick, swatch, legendLine;
    double ruler() const { return tick + line; }
};

double titleWidth(const KeyMapData &data, const QFontMetricsF &fm)
{
    double width = fm.horizontalAdvance(QString::fromLatin1(data.unitLabel()));
    for (const KeyMapData::Row &row : data.rows)
        width = std::max(width, fm.horizontalAdvance(QString::fromStdString(row.title)));
    return std::ceil(width);
}

// Lays the legend out in lines from (left, top) within width; returns the lines used. Past
// maxLines the last line ends with a "+N more" for the keys left out.
int layoutLegend(const KeyMapData &data, const QFontMetricsF &fm, const Metrics &m, double left,
                 double top, double width, std::vector<KeyMapLayout::LegendItem> *items,
                 int maxLines = INT_MAX)
{
    const double spacing = std::round(m.line * 1.2);
    const double textGap = std::round(m.line * 0.35);
    const std::vector<int> keys = keysPresent(data);
    std::vector<KeyMapLayout::LegendItem> laid;
    int lines = 0;
    double x = left;
    for (int code : keys) {
        const double textWidth = std::ceil(fm.horizontalAdvance(keyMapKeyName(code, data.notation)));
        const double itemWidth = m.swatch + textGap + textWidth;
        if (lines == 0 || (x > left && x + itemWidth > left + width)) {
            if (lines == maxLines)
                break;
            ++lines;
            x = left;
        }
        const double y = top + (lines - 1) * m.legendLine;
        const double swatchTop = y + std::round((m.legendLine - m.swatch) / 2);
        laid.push_back({code, QRectF(x, swatchTop, m.swatch, m.swatch),
                        QRectF(x + m.swatch + textGap, y, textWidth, m.legendLine)});
        x += itemWidth + spacing;
    }
    if (laid.size() < keys.size()) {
        // Room on the last line for the count of what is left out.
        const auto moreWidth = [&](std::size_t shown) {
            return std::ceil(fm.horizontalAdvance(moreKeysText(int(keys.size() - shown))));
        };
        while (laid.size() > 1 && laid.back().text.top() == laid[laid.size() - 2].text.top()
               && laid.back().text.right() + spacing + moreWidth(laid.size()) > left + width)
            laid.pop_back();
        const KeyMapLayout::LegendItem &last = laid.back();
        const double at = last.text.right() + spacing;
        laid.push_back({0, {}, QRectF(at, last.text.top(), moreWidth(laid.size()), m.legendLine),
                        int(keys.size() - laid.size())});
    }
    if (items)
        *items = std::move(laid);
    return lines;
}

std::vector<KeyMapLayout::Stretch> layoutStretches(const KeyMapLayout &layout, const QRectF &rect,
                                                   const KeyMapData::Row &row, Notation notation,
                                                   const QFontMetricsF &fm)
{
    const double margin = std::max(1.0, std::round(fm.height() * 0.15));
    std::vector<KeyMapLayout::Stretch> stretches;
    for (const KeyMapSegment &s : row.segments) {
        if (!isKeyCode(s.keyCode))
            continue;
        const double left = std::max(rect.left(), std::round(layout.xOf(s.firstBar)));
        const double right = std::min(rect.right(), std::round(layout.xOf(s.lastBar + 1)));
        if (right <= left)
            continue;
        // A one-pixel seam keeps neighbouring stretches of close hues apart.
        const double seam = right - left > 2 ? 1 : 0;
        KeyMapLayout::Stretch stretch{s.keyCode, s.unsure, QRectF(left, rect.top(), right - left - seam, rect.height()),
                                      {}, {}};
        const QString name = keyMapLabel(s, notation) + (s.unsure ? QStringLiteral("?") : QString());
        const double width = std::ceil(fm.horizontalAdvance(name));
        if (width + 2 * margin <= stretch.box.width() && fm.height() <= stretch.box.height()) {
            const QPointF centre = stretch.box.center();
            stretch.label = name;
            stretch.labelBox = QRectF(std::round(centre.x() - width / 2), std::round(centre.y() - fm.height() / 2),
                                      width, fm.height());
        }
        stretches.push_back(stretch);
    }
    return stretches;
}

std::int64_t tickStep(KeyMapUnit unit, double cell, double labelWidth)
{
    static constexpr std::int64_t secondSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600};
    std::int64_t step = 1;
    for (int i = 0; step * cell < labelWidth && step < (std::int64_t(1) << 60); ++i) {
        if (unit == KeyMapUnit::Bar)
            step *= 2; // bars go in phrases: 1, 5, 9 or 1, 9, 17
        else
            step = i + 1 < int(std::size(secondSteps)) ? secondSteps[i + 1] : step * 2;
    }
    return step;
}

} // namespace

double KeyMapLayout::xOf(std::int64_t position) const
{
    return strip.left() + strip.width() * double(position - first) / double(count);
}

std::optional<std::int64_t> KeyMapLayout::positionAt(double x) const
{
    if (x < strip.left() || x >= strip.right() || strip.width() <= 0)
        return std::nullopt;
    const auto cell = std::int64_t((x - strip.left()) * double(count) / strip.width());
    return first + std::clamp<std::int64_t>(cell, 0, count - 1);
}

std::vector<std::int64_t> KeyMapLayout::ticks() const
{
    std::vector<std::int64_t> positions;
    for (std::int64_t p = first; p < first + count; p += tickStep)
        positions.push_back(p);
    return positions;
}

KeyMapLayout layoutKeyMap(const KeyMapData &data, const QSizeF &size, const QFontMetricsF &fm)
{
    const Metrics m(fm);
    KeyMapLayout layout;
    layout.first = data.first();
    layout.count = std::max<std::int64_t>(data.bars, 1);

    const double titles = titleWidth(data, fm);
    const double left = m.pad + (titles > 0 ? titles + m.pad : 0);
    const double right = std::max(left + 1, size.width() - m.pad);

    const auto rows = std::max<std::size_t>(data.rows.size(), 1);
    // The legend takes what the rows leave above their least height, one line at least.
    const double leftOver = size.height() - 2 * m.pad - m.ruler() - m.pad / 2 - double(rows) * m.rowMin
                            - double(rows - 1) * m.gap;
    const int maxLines = std::max(1, int(leftOver / m.legendLine));
    const int legendLines = layoutLegend(data, fm, m, left, 0, right - left, nullptr, maxLines);
    const double legendHeight = legendLines * m.legendLine;
    const double legendGap = legendLines > 0 ? m.pad / 2 : 0;

    const double forRows = size.height() - 2 * m.pad - m.ruler() - legendGap - legendHeight
                           - double(rows - 1) * m.gap;
    const double rowHeight = std::max(m.rowMin, std::floor(forRows / double(rows)));

    double y = m.pad;
    for (std::size_t i = 0; i < data.rows.size(); ++i) {
        layout.rows.emplace_back(left, y, right - left, rowHeight);
        layout.titles.emplace_back(m.pad, y, titles, rowHeight);
        y += rowHeight + (i + 1 < data.rows.size() ? m.gap : 0);
    }
    if (data.rows.empty())
        y += rowHeight;
    layout.strip = QRectF(left, m.pad, right - left, y - m.pad);
    layout.ruler = QRectF(left, y, right - left, m.ruler());
    layout.unitText = QRectF(m.pad, y + m.tick, titles, m.line);

    const double cell = layout.strip.width() / double(layout.count);
    const double labelWidth = fm.horizontalAdvance(QString::number(data.first() + layout.count - 1)) + m.line;
    layout.tickStep = tickStep(data.unit, cell, labelWidth);

    for (std::size_t i = 0; i < data.rows.size(); ++i)
        layout.stretches.push_back(layoutStretches(layout, layout.rows[i], data.rows[i], data.notation, fm));
    layoutLegend(data, fm, m, left, layout.ruler.bottom() + legendGap, right - left, &layout.legend, maxLines);
    return layout;
}

double keyMapHeight(const KeyMapData &data, double width, const QFontMetricsF &fm)
{
    const Metrics m(fm);
    const double titles = titleWidth(data, fm);
    const double left = m.pad + (titles > 0 ? titles + m.pad : 0);
    const int legendLines = std::max(1, layoutLegend(data, fm, m, left, 0, width - m.pad - left, nullptr));
    const auto rows = std::max<std::size_t>(data.rows.size(), KeyMapMinimumRows);
    return std::ceil(2 * m.pad + double(rows) * m.rowComfort + double(rows - 1) * m.gap + m.ruler()
                     + m.pad / 2 + legendLines * m.legendLine);
}

double keyMapReservedHeight(const QFontMetricsF &fm)
{
    const Metrics m(fm);
    return std::ceil(2 * m.pad + KeyMapMinimumRows * m.rowComfort + (KeyMapMinimumRows - 1) * m.gap + m.ruler()
                     + m.pad / 2 + KeyMapReservedLegendLines * m.legendLine);
}

QString moreKeysText(int more)
{
    return QStringLiteral("+%1 more").arg(more);
}

double keyMapMinimumHeight(const QFontMetricsF &fm)
{
    const Metrics m(fm);
    return std::ceil(2 * m.pad + KeyMapMinimumRows * m.rowMin + (KeyMapMinimumRows - 1) * m.gap
                     + m.ruler() + m.pad / 2 + m.legendLine);
}

} // namespace tunedeck
