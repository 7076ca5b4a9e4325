// Where the parts of a key map go at a given size: row titles on the left, the rows of
// stretches with their labels, the ruler with bar numbers under them, and the legend below. The painter draws
// from it and the widget finds the bar under the mouse with it, so both agree.
#ifndef TUNEDECK_QT_KEYMAP_KEYMAPLAYOUT_H
#define TUNEDECK_QT_KEYMAP_KEYMAPLAYOUT_H

#include "core/keymap/keymapdata.h"

#include <QFontMetricsF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

namespace tunedeck {

struct KeyMapLayout {
    // A stretch of one key as drawn, short of the seam that parts it from the next; its
    // label is the key's short name, centred, when that fits (else empty).
    struct Stretch {
        int keyCode = 0;
        bool unsure = false;
        QRectF box;
        QString label;
        QRectF labelBox;
    };
    struct LegendItem {
        int keyCode = 0;
        QRectF swatch;
        QRectF text;
        int more = 0; // not a key: the keys the legend had no room for ("+3 more"), no swatch
    };

    std::int64_t first = 0; // the map's first position
    std::int64_t count = 0; // positions across the strip, at least 1
    std::int64_t tickStep = 1; // positions between two numbered ticks
    QRectF strip; // every row's stretches
    std::vector<QRectF> rows; // one per row, across the strip
    std::vector<QRectF> titles; // one per row, left of the strip
    std::vector<std::vector<Stretch>> stretches; // one list per row; no key is left out
    QRectF ruler; // tick marks and numbers, under the strip
    QRectF unitText; // left of the ruler: "bar" or "s"
    std::vector<LegendItem> legend; // as many lines as leave the rows their least height

    // The left edge of a position's cell; first + count gives the strip's right edge.
    double xOf(std::int64_t position) const;
    // The position whose cell holds x, if x lies across the strip.
    std::optional<std::int64_t> positionAt(double x) const;
    // The numbered ticks, in order.
    std::vector<std::int64_t> ticks() const;
};

// A map with fewer rows still keeps room for this many, so the widget does not jump when
// the profile analysis arrives.
constexpr int KeyMapMinimumRows = 2;

KeyMapLayout layoutKeyMap(const KeyMapData &data, const QSizeF &size, const QFontMetricsF &fm);

// The height the map wants at a width: rows of a comfortable height (at least
// KeyMapMinimumRows of them), the ruler and every legend line.
double keyMapHeight(const KeyMapData &data, double width, const QFontMetricsF &fm);

// The height kept for a map whatever it holds, so that a window does not move as a map
// fills: KeyMapMinimumRows rows of a comfortable height and this many legend lines.
constexpr int KeyMapReservedLegendLines = 2;
double keyMapReservedHeight(const QFontMetricsF &fm);

// The smallest height: minimumRows rows and one legend line.
double keyMapMinimumHeight(const QFontMetricsF &fm);

// The "+3 more" of a legend cut short.
QString moreKeysText(int more);

} // namespace tunedeck

#endif
