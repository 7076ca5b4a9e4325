#include "qt/pianoroll/pianorollwidget.h"

#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace tunedeck {

PianoRollWidget::PianoRollWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PianoRollWidget::setData(PianoRollData data)
{
    data_ = std::move(data);
    window_.reset();
    update();
}

void PianoRollWidget::setGrownData(PianoRollData data)
{
    data_ = std::move(data);
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
    update();
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
    paintPianoRoll(painter, data_, layout(), palette(), playMs_);
}

void PianoRollWidget::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (steps == 0 || data_.empty()) {
        event->ignore();
        return;
    }
    const RollWindow current = window();
    if (event->modifiers() & Qt::ControlModifier) // up zooms in
        window_ = zoomWindow(current, std::pow(0.8, steps / 120.0), layout().msAt(event->position().x()));
    else // a notch moves a tenth of the window
        window_ = scrollWindow(current, -std::int32_t(current.span() * steps / 1200.0));
    event->accept();
    update();
}

void PianoRollWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || data_.empty())
        return QWidget::mousePressEvent(event);
    emit seekRequested(std::max(0, layout().msAt(event->position().x())));
}

} // namespace tunedeck
