// Paints a key map with QPainter on any paint device: the widget, a QImage or an SVG.
#ifndef TUNEDECK_QT_KEYMAP_KEYMAPPAINTER_H
#define TUNEDECK_QT_KEYMAP_KEYMAPPAINTER_H

#include "core/keymap/keymapdata.h"

#include <QPalette>
#include <QSizeF>

#include <optional>

class QPainter;

namespace tunedeck {

// Paints the map into the rectangle (0, 0, size) of the painter's current coordinates,
// with the painter's font measured for its device. Colours other than the keys' come from
// the palette (Window, WindowText, Base, Mid, Highlight), so a dark palette gives a dark
// map. highlight outlines one position's cell across the rows (the one under the mouse).
void paintKeyMap(QPainter &painter, const KeyMapData &data, const QSizeF &size,
                 const QPalette &palette, std::optional<std::int64_t> highlight = std::nullopt);

} // namespace tunedeck

#endif
