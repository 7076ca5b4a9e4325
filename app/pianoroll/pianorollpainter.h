// Where the piano roll's parts go at a size, and its painting with QPainter on any paint
// device. Only what lies in the window is drawn, so a frame costs the same for a long piece.
#ifndef TUNEDECK_PIANOROLLPAINTER_H
#define TUNEDECK_PIANOROLLPAINTER_H

#include "pianoroll/pianorolldata.h"
#include "pianoroll/pianorollview.h"

#include <QColor>
#include <QPalette>
#include <QRectF>

#include <optional>

class QPainter;

namespace tunedeck {

// Time runs left to right across the area, pitch upwards, one row per pitch from the
// data's lowest to its highest. The painter draws from it and the widget finds the time
// under the mouse with it, so both agree.
struct PianoRollLayout {
    QRectF area;
    RollWindow window;
    int lowPitch = 60, highPitch = 71;

    double msPerPixel() const { return window.span() / area.width(); }
    double xOf(double ms) const { return area.left() + (ms - window.fromMs) / msPerPixel(); }
    // The time under x, to the ms, nearest first; x outside the area gives a time outside
    // the window.
    std::int32_t msAt(double x) const;
    double rowHeight() const { return area.height() / (highPitch - lowPitch + 1); }
    // The top of a pitch's row.
    double yOf(int pitch) const { return area.top() + (highPitch - pitch) * rowHeight(); }
};

PianoRollLayout layoutPianoRoll(const PianoRollData &data, const QRectF &area, RollWindow window);

// A channel's colour: sixteen hues told apart, the drums' channel (10) grey.
QColor channelColour(int channel);

// The key tint, the black keys' rows, the notes (those muted faded) and the play position,
// if any.
void paintPianoRoll(QPainter &painter, const PianoRollData &data, const PianoRollLayout &layout,
                    const QPalette &palette, std::optional<std::int32_t> playMs = std::nullopt);

} // namespace tunedeck

#endif
