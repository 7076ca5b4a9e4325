// The piano roll painted with QPainter on any paint device. Only what lies in the window is
// drawn, so a frame costs the same for a long piece.
#ifndef TUNEDECK_QT_PIANOROLL_PIANOROLLPAINTER_H
#define TUNEDECK_QT_PIANOROLL_PIANOROLLPAINTER_H

#include "qt/pianoroll/chordlane.h"
#include "qt/pianoroll/pianorolllayout.h"

#include <QColor>
#include <QPalette>

#include <optional>
#include <vector>

class QPainter;

namespace tunedeck {

// A channel's colour: sixteen hues told apart, the drums' channel (10) grey.
QColor channelColour(int channel);

// The key tint, the black keys' rows, the notes (those muted faded), the play position, if
// any, and the labels and chords in the window's colours, the focused chord outlined.
void paintPianoRoll(QPainter &painter, const PianoRollData &data, const PianoRollLayout &layout,
                    const QPalette &palette, std::optional<std::int32_t> playMs = std::nullopt,
                    std::optional<std::size_t> focusedChord = std::nullopt);

} // namespace tunedeck

#endif
