// The key map's texts: key names for the legend, and the hover line.
#ifndef TUNEDECK_QT_KEYMAP_KEYMAPTEXT_H
#define TUNEDECK_QT_KEYMAP_KEYMAPTEXT_H

#include "core/keymap/keymapdata.h"

#include <QString>

namespace tunedeck {

// "D Major", "C# Db Minor" (or the key in another notation); "no key" for a code that
// names none.
QString keyMapKeyName(int keyCode, Notation notation = Notation::Standard);

// A stretch's label: "F#m" in standard notation (our own analysis' keys of a score as it
// writes them, "Gb"), else the notation's name.
QString keyMapLabel(const KeyMapSegment &segment, Notation notation);

// "Bar 12" or "12 s".
QString positionText(KeyMapUnit unit, std::int64_t position);

// The key of every row at a position, for the hover tooltip:
// "Bar 12: A Minor (Tonalyte), A Minor (Profile analysis)". Empty outside the map.
QString hoverText(const KeyMapData &data, std::int64_t position);

} // namespace tunedeck

#endif
