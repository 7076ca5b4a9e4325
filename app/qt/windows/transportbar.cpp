#include "qt/windows/transportbar.h"

#include "qt/base/qttext.h"
#include "core/reports/resulttext.h"
#include "qt/run/runner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>

#include <algorithm>
#include <climits>

namespace tunedeck {

TransportBar::TransportBar(QWidget *parent) : QWidget(parent)
{
    pause_ = new QToolButton(this);
    pause_->setObjectName(QStringLiteral("PauseButton"));
    elapsed_ = new QLabel(qtext(text::clock(0)), this);
    elapsed_->setObjectName(QStringLiteral("ElapsedTime"));
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("PositionSlider"));
    slider_->setPageStep(5000);
    slider_->setSingleStep(1000);
    slider_->installEventFilter(this);
    total_ = new QLabel(qtext(text::clock(0)), this);
    total_->setObjectName(QStringLiteral("TotalTime"));
    // Room for three-digit minutes: the times neither jump nor get cut in a narrow dock.
    for (QLabel *label : {elapsed_, total_}) {
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("000:00")) + 2);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    auto *layout = new QHBoxLayout(this);
    // The dock reaches the window's edge: the total time keeps a little room from it.
    layout->setContentsMargins(0, 0, 6, 0);
    layout->addWidget(pause_);
    layout->addWidget(elapsed_);
    layout->addWidget(slider_, 1);
    layout->addWidget(total_);
    showPaused(false);
    setEnabled(false);

    refresh_.setInterval(100);
    connect(&refresh_, &QTimer::timeout, this, &TransportBar::showPosition);
}

void TransportBar::follow(Runner &runner)
{
    runner_ = &runner;
    connect(&runner, &Runner::stateChanged, this, [this](RunState state) {
        playing_ = state == RunState::Playing || state == RunState::Paused || state == RunState::Stopping;
        listening_ = state == RunState::Listening;
        setEnabled(playing_);
        if (playing_) {
            refresh_.start();
        } else {
            refresh_.stop();
            elapsed_->setText(qtext(text::clock(0)));
        }
        // Listening has no length: its time so far only.
        total_->setText(listening_ ? QString() : qtext(text::clock(std::uint32_t(slider_->maximum()))));
        showPosition();
        showPaused(state == RunState::Paused);
    });
    connect(&runner, &Runner::playLengthChanged, this, &TransportBar::showLength);
    // The time shown is the play clock's, read at its ticks (and at a seek); the slider moves
    // smoothly between them.
    connect(&runner, &Runner::clockTicked, this, [this](std::uint32_t ms) {
        if ((playing_ || listening_) && !slider_->isSliderDown())
            elapsed_->setText(qtext(text::clock(ms)));
    });
    // Keys and arrows move the slider: the play follows once the value settles.
    connect(slider_, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            QTimer::singleShot(0, this, [this] { runner_->seek(slider_->value()); });
    });
    connect(slider_, &QSlider::sliderReleased, this, [this] { runner_->seek(slider_->value()); });
    connect(slider_, &QSlider::sliderMoved, this,
            [this](int ms) { elapsed_->setText(qtext(text::clock(std::uint32_t(ms)))); });
    connect(pause_, &QToolButton::clicked, this, [this] {
        if (runner_->state() == RunState::Paused)
            runner_->resume();
        else
            runner_->pause();
    });
}

bool TransportBar::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the groove goes straight to that point, not a page towards it.
    if (watched == slider_ && event->type() == QEvent::MouseButtonPress && runner_) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        QStyleOptionSlider option;
        option.initFrom(slider_);
        option.orientation = slider_->orientation();
        option.minimum = slider_->minimum();
        option.maximum = slider_->maximum();
        option.sliderPosition = slider_->sliderPosition();
        const QRect handle = slider_->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider_);
        if (mouse->button() == Qt::LeftButton && !handle.contains(mouse->position().toPoint())) {
            const int ms = QStyle::sliderValueFromPosition(slider_->minimum(), slider_->maximum(),
                                                           int(mouse->position().x()), slider_->width());
            slider_->setValue(ms);
            runner_->seek(ms);
            showPosition();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TransportBar::showPosition()
{
    if (!runner_ || slider_->isSliderDown())
        return;
    const std::uint32_t ms = playing_ ? runner_->clock() : 0;
    const QSignalBlocker quiet(slider_);
    slider_->setValue(int(std::min<std::int64_t>(ms, slider_->maximum())));
}

void TransportBar::showLength(std::int64_t ms)
{
    total_->setText(qtext(text::clock(std::uint32_t(std::min<std::int64_t>(ms, UINT32_MAX)))));
    const QSignalBlocker quiet(slider_);
    slider_->setRange(0, int(std::min<std::int64_t>(ms, INT_MAX)));
}

void TransportBar::showPaused(bool paused)
{
    pause_->setText(paused ? tr("Go on") : tr("Pause"));
    pause_->setToolTip(tr("Space"));
}

} // namespace tunedeck
