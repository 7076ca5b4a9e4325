// The chord lane between the times and the notes: each chord's stretch, and as many of their
// names as fit without overlapping, chosen by the core (chordlabels); a chord's tool tip.
#ifndef TUNEDECK_QT_PIANOROLL_CHORDLANE_H
#define TUNEDECK_QT_PIANOROLL_CHORDLANE_H

#include "qt/pianoroll/pianorolllayout.h"

#include <QFontMetricsF>
#include <QPalette>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

class QPainter;

namespace tunedeck {

// A chord in the lane: where it lies, cut to the lane, and its names where they are written.
struct ChordLaneCell {
    std::size_t chord = 0; // its place in the data's chords
    double left = 0, right = 0;
    double labelLeft = 0; // where its names start; they may run on over the chords after it
    QString symbol;  // "G7/B", or "G7" where only that fits; empty where no name fits, and for no chord
    QString numeral; // "V65", under the symbol when the lane shows numerals; only with a symbol
};
// The chords in the window, in order; labels is the layout's font. The focused chord, if any,
// is named before the others.
std::vector<ChordLaneCell> chordLaneCells(const PianoRollData &data, const PianoRollLayout &layout,
                                          const QFontMetricsF &labels, std::optional<std::size_t> focused = std::nullopt);

// The chord sounding at ms, a stretch of no chord left out.
std::optional<std::size_t> chordAt(const PianoRollData &data, std::int32_t ms);

// A chord in words, line by line: its symbol (with its numeral and key when the lane shows
// numerals), where it starts in bars and beats, and how sure the analysis is.
QString chordTip(const RollChord &chord, ChordNames names);

// The lane: each chord's stretch in one of two shades by turns, the focused chord outlined,
// the names over them.
void paintChordLane(QPainter &painter, const PianoRollData &data, const PianoRollLayout &layout,
                    const QPalette &palette, std::optional<std::size_t> focused = std::nullopt);

} // namespace tunedeck

#endif
