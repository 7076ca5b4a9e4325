// The piano roll in a window: the whole piece while nothing plays, during a play a window
// that follows the play position. Ctrl+wheel zooms the time axis about the mouse, the wheel
// alone scrolls it, a click asks to seek there. A chord's tool tip names it; Tab gives the
// chord lane the keyboard, where Left and Right go from chord to chord.
#ifndef TUNEDECK_QT_PIANOROLL_PIANOROLLWIDGET_H
#define TUNEDECK_QT_PIANOROLL_PIANOROLLWIDGET_H

#include "core/pianoroll/pianorolldata.h"
#include "qt/pianoroll/pianorollpainter.h"

#include <QWidget>

#include <optional>

namespace tunedeck {

class PianoRollWidget : public QWidget {
    Q_OBJECT
public:
    explicit PianoRollWidget(QWidget *parent = nullptr);

    const PianoRollData &data() const { return data_; }
    // New notes (and their keys) show the whole piece again.
    void setData(PianoRollData data);
    // The notes of the same run, grown while it runs: the view stays where it is.
    void setGrownData(PianoRollData data);
    void setKeys(std::vector<RollKey> keys);
    // What the chord lane writes of each chord.
    void setChordNames(ChordNames names);
    ChordNames chordNames() const { return chordNames_; }
    // During a play: the position, which the view keeps in sight. nullopt when the play ends.
    void setPlayPosition(std::optional<std::int32_t> ms);
    std::optional<std::int32_t> playPosition() const { return playMs_; }
    void clear();

    RollWindow window() const;
    PianoRollLayout layout() const;

    // Zoom by steps, about the play position during a play (which stays in sight), else about
    // the middle; the whole piece again.
    void zoomIn();
    void zoomOut();
    void showWholePiece();

    // The chord the keyboard is on, outlined while the roll has the focus.
    std::optional<std::size_t> focusedChord() const { return focused_; }
    // What the tool tip says at a point: the chord under it in the lane; empty elsewhere.
    QString tipAt(QPointF point) const;

    QSize sizeHint() const override { return {480, 420}; }
    QSize minimumSizeHint() const override { return {120, 60}; }

signals:
    // A click on the roll: the time under it.
    void seekRequested(std::int32_t ms);

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

private:
    void zoomAbout(double factor, std::int32_t anchorMs);
    // Moves the keyboard to a chord, in sight, named in its tool tip and to accessibility.
    void focusChord(std::optional<std::size_t> chord);
    // The next named chord from `from` on in the direction step (+1 or -1).
    std::optional<std::size_t> namedChord(std::ptrdiff_t from, int step) const;

    PianoRollData data_;
    std::optional<std::int32_t> playMs_;
    ChordNames chordNames_ = ChordNames::Symbols;
    // The window zoomed or scrolled to; none shows the whole piece, or during a play the
    // window a play starts with.
    std::optional<RollWindow> window_;
    std::optional<std::size_t> focused_;
};

} // namespace tunedeck

#endif
