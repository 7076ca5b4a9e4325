#include "qt/pianoroll/pianorollwidget.h"

#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tunedeck {

PianoRollWidget::PianoRollWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Tab reaches the chords; a click seeks and leaves the keyboard where it was, so Space still plays.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(tr("Piano roll"));
}

void PianoRollWidget::setData(PianoRollData data)
{
    data_ = std::move(data);
    window_.reset();
    focusChord(std::nullopt);
}

void PianoRollWidget::setGrownData(PianoRollData data)
{
    data_ = std::move(data);
    if (focused_ && *focused_ >= data_.chords.size())
        focusChord(std::nullopt);
    update();
}

void PianoRollWidget::setKeys(std::vector<RollKey> keys)
{
    data_.keys = std::move(keys);
    update();
}

void PianoRollWidget::setChordNames(ChordNames names)
{
    chordNames_ = names;
    if (focused_) { // the focused chord said anew, numerals and key with them or not
        const QString tip = chordTip(data_.chords[*focused_], chordNames_);
        setAccessibleName(tip.section(QLatin1Char('\n'), 0, 0));
        setAccessibleDescription(tip);
    }
    update();
}

void PianoRollWidget::setPlayPosition(std::optional<std::int32_t> ms)
{
    if (ms == playMs_)
        return;
    if (ms && !playMs_ && !window_) // a play starts
        window_ = RollWindow{0, DefaultRollSpanMs};
    if (!ms) // the play ends: the whole piece again
        window_.reset();
    playMs_ = ms;
    if (playMs_)
        window_ = followPosition(*window_, *playMs_);
    update();
}

void PianoRollWidget::clear()
{
    data_ = {};
    playMs_.reset();
    window_.reset();
    focusChord(std::nullopt);
}

RollWindow PianoRollWidget::window() const
{
    return window_ ? *window_ : wholePiece(data_.endMs);
}

PianoRollLayout PianoRollWidget::layout() const
{
    const QFontMetricsF labels(font(), this);
    return layoutPianoRoll(data_, QRectF(rect()), window(), &labels, chordNames_);
}

void PianoRollWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintPianoRoll(painter, data_, layout(), palette(), playMs_, hasFocus() ? focused_ : std::nullopt);
}

void PianoRollWidget::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (steps == 0 || data_.empty()) {
        event->ignore();
        return;
    }
    const RollWindow current = window();
    event->accept();
    if (event->modifiers() & Qt::ControlModifier) // up zooms in
        return zoomAbout(std::pow(0.8, steps / 120.0), layout().msAt(event->position().x()));
    // A notch moves a tenth of the window.
    window_ = scrollWindow(current, -std::int32_t(current.span() * steps / 1200.0));
    update();
}

void PianoRollWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || data_.empty())
        return QWidget::mousePressEvent(event);
    emit seekRequested(std::max(0, layout().msAt(event->position().x())));
}

void PianoRollWidget::zoomAbout(double factor, std::int32_t anchorMs)
{
    if (data_.empty())
        return;
    window_ = zoomWindow(window(), factor, anchorMs);
    if (playMs_)
        window_ = followPosition(*window_, *playMs_);
    update();
}

void PianoRollWidget::zoomIn()
{
    const RollWindow w = window();
    zoomAbout(0.5, playMs_ ? *playMs_ : w.fromMs + w.span() / 2);
}

void PianoRollWidget::zoomOut()
{
    const RollWindow w = window();
    zoomAbout(2, playMs_ ? *playMs_ : w.fromMs + w.span() / 2);
}

void PianoRollWidget::showWholePiece()
{
    // During a play the window stands for the whole piece, which the play follows.
    if (playMs_)
        window_ = followPosition(wholePiece(data_.endMs), *playMs_);
    else
        window_.reset();
    update();
}

QString PianoRollWidget::tipAt(QPointF point) const
{
    const PianoRollLayout l = layout();
    if (!l.chordLane.contains(point))
        return {};
    const std::optional<std::size_t> chord = chordAt(data_, l.msAt(point.x()));
    return chord ? chordTip(data_.chords[*chord], chordNames_) : QString();
}

bool PianoRollWidget::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString tip = tipAt(help->pos());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, this);
    }
    return true;
}

std::optional<std::size_t> PianoRollWidget::namedChord(std::ptrdiff_t from, int step) const
{
    for (std::ptrdiff_t i = from; i >= 0 && i < std::ptrdiff_t(data_.chords.size()); i += step)
        if (!data_.chords[std::size_t(i)].chord.none())
            return std::size_t(i);
    return std::nullopt;
}

void PianoRollWidget::focusChord(std::optional<std::size_t> chord)
{
    focused_ = chord;
    if (!chord) {
        setAccessibleName(tr("Piano roll"));
        setAccessibleDescription({});
        update();
        return;
    }
    const RollChord &c = data_.chords[*chord];
    const RollWindow w = window();
    if (c.endMs <= w.fromMs || c.startMs >= w.toMs)
        window_ = followPosition(w, c.startMs);
    const QString tip = chordTip(c, chordNames_);
    setAccessibleName(tip.section(QLatin1Char('\n'), 0, 0));
    setAccessibleDescription(tip);
    update();
    const PianoRollLayout l = layout();
    const QPoint at(int(std::max(l.xOf(c.startMs), l.chordLane.left())), int(l.chordLane.bottom()));
    QToolTip::showText(mapToGlobal(at), tip, this);
}

void PianoRollWidget::keyPressEvent(QKeyEvent *event)
{
    const bool left = event->key() == Qt::Key_Left, right = event->key() == Qt::Key_Right;
    if ((!left && !right) || event->modifiers() != Qt::NoModifier || data_.chords.empty())
        return QWidget::keyPressEvent(event);
    const int step = right ? 1 : -1;
    std::optional<std::size_t> next;
    if (focused_)
        next = namedChord(std::ptrdiff_t(*focused_) + step, step);
    if (!next && !focused_)
        next = namedChord(right ? 0 : std::ptrdiff_t(data_.chords.size()) - 1, step);
    if (next)
        focusChord(next);
    event->accept();
}

void PianoRollWidget::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // The chord sounding, else the first in sight.
    std::optional<std::size_t> chord = focused_;
    if (!chord && playMs_)
        chord = chordAt(data_, *playMs_);
    if (!chord)
        chord = chordAt(data_, window().fromMs);
    if (!chord) {
        const RollWindow w = window();
        chord = namedChord(std::upper_bound(data_.chords.begin(), data_.chords.end(), w.fromMs,
                                            [](std::int32_t t, const RollChord &c) { return t < c.endMs; })
                               - data_.chords.begin(),
                           1);
    }
    focusChord(chord);
}

void PianoRollWidget::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace tunedeck
