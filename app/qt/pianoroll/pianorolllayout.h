// Where the piano roll's parts go at a size: the notes, the times, the Cs' names and the
// chord lane. The painter draws from it and the widget finds what is under the mouse with it.
#ifndef TUNEDECK_QT_PIANOROLL_PIANOROLLLAYOUT_H
#define TUNEDECK_QT_PIANOROLL_PIANOROLLLAYOUT_H

#include "core/pianoroll/pianorolldata.h"
#include "core/pianoroll/pianorollview.h"

#include <QFontMetricsF>
#include <QRectF>
#include <QString>

#include <vector>

namespace tunedeck {

// What the chord lane writes of each chord: its symbol, or its symbol over its Roman numeral
// in its key.
enum class ChordNames { Symbols, WithNumerals };

// Time runs left to right across the area, pitch upwards, one row per pitch from the
// data's lowest to its highest; above it the times and the chords, left of it the note
// names, when laid out with labels. The painter draws from it and the widget finds the time
// under the mouse with it, so both agree.
struct PianoRollLayout {
    QRectF area; // the notes
    QRectF timeAxis;  // above the area; empty without labels
    QRectF pitchAxis; // left of the area; empty without labels
    QRectF chordLane; // between the times and the area; empty without chords, labels or room
    ChordNames chordNames = ChordNames::Symbols;
    RollWindow window;
    int lowPitch = 60, highPitch = 71;
    std::int32_t tickMs = 0; // between two labelled times; 0 without labels
    int octavesPerLabel = 1; // the Cs named: every one, or every other where octaves are close

    double msPerPixel() const { return window.span() / area.width(); }
    double xOf(double ms) const { return area.left() + (ms - window.fromMs) / msPerPixel(); }
    // The time under x, to the ms, nearest first; x outside the area gives a time outside
    // the window.
    std::int32_t msAt(double x) const;
    double rowHeight() const { return area.height() / (highPitch - lowPitch + 1); }
    // The top of a pitch's row.
    double yOf(int pitch) const { return area.top() + (highPitch - pitch) * rowHeight(); }
    // The labelled times in the window, in order: the multiples of tickMs.
    std::vector<std::int32_t> timeTicks() const;
    // The labelled pitches, low to high: Cs.
    std::vector<int> pitchLabels() const;
};

// labels: the font of the times, note names and chords, which take their room from the
// area; none without it.
// The times and the chord lane above the notes at their tallest (numerals under the symbols).
double rollHeadHeight(const QFontMetricsF &labels);

PianoRollLayout layoutPianoRoll(const PianoRollData &data, const QRectF &area, RollWindow window,
                                const QFontMetricsF *labels = nullptr, ChordNames chordNames = ChordNames::Symbols);

// A note's name with its octave, middle C (60) being C4: "C-1" for 0, "G9" for 127.
QString pitchName(int pitch);
// A time along the roll: "0:05", "12:30".
QString rollTimeText(std::int32_t ms);

} // namespace tunedeck

#endif
