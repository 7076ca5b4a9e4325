#include "qt/keymap/keymapwidget.h"

#include "qt/keymap/keymaplayout.h"
#include "qt/keymap/keymappainter.h"
#include "qt/keymap/keymaptext.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace tunedeck {

KeyMapWidget::KeyMapWidget(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    repaintTimer_.setSingleShot(true);
    repaintTimer_.setInterval(RepaintIntervalMs);
    connect(&repaintTimer_, &QTimer::timeout, this, [this] {
        if (pending_)
            changed();
    });
}

void KeyMapWidget::setData(const KeyMapData &data)
{
    data_ = data;
    data_.notation = notation_;
    changed();
}

void KeyMapWidget::setNotation(Notation notation)
{
    notation_ = data_.notation = notation;
    if (hover_)
        setHover(hover_); // the tooltip follows too
    changed();
}

void KeyMapWidget::startLive(KeyMapUnit unit, const std::vector<std::string> &rowTitles)
{
    KeyMapData data;
    data.unit = unit;
    for (const std::string &title : rowTitles)
        data.rows.push_back({title, {}});
    setData(data);
}

void KeyMapWidget::recordKey(std::size_t row, std::int64_t position, int keyCode, bool unsure,
                             std::optional<int> keyFifths)
{
    tunedeck::recordKey(data_, row, position, keyCode, unsure, keyFifths);
    changed();
}

void KeyMapWidget::clear()
{
    setData(KeyMapData{});
}

void KeyMapWidget::changed()
{
    // The first change is drawn at once; those that follow within RepaintIntervalMs wait
    // for the interval's end and are drawn together.
    if (repaintTimer_.isActive()) {
        pending_ = true;
        return;
    }
    pending_ = false;
    repaintTimer_.start();
    update();
    if (hover_)
        setHover(hover_);
}

std::optional<std::int64_t> KeyMapWidget::positionAt(const QPoint &point) const
{
    const KeyMapLayout layout = layoutKeyMap(data_, size(), QFontMetricsF(font(), this));
    if (data_.bars <= 0 || point.y() < layout.strip.top() || point.y() >= layout.ruler.bottom())
        return std::nullopt;
    return layout.positionAt(point.x());
}

QString KeyMapWidget::textAt(const QPoint &point) const
{
    if (const std::optional<std::int64_t> position = positionAt(point))
        return hoverText(data_, *position);
    const KeyMapLayout layout = layoutKeyMap(data_, size(), QFontMetricsF(font(), this));
    if (layout.legend.empty() || layout.legend.back().more == 0 || point.y() < layout.ruler.bottom())
        return {};
    QStringList names;
    for (int code : keysPresent(data_))
        names << keyMapKeyName(code, data_.notation);
    return names.join(QStringLiteral(", "));
}

QSize KeyMapWidget::sizeHint() const
{
    return QSize(std::max(400, minimumSizeHint().width()), int(keyMapReservedHeight(QFontMetricsF(font(), this))));
}

QSize KeyMapWidget::minimumSizeHint() const
{
    const QFontMetricsF fm(font(), this);
    return QSize(int(std::ceil(fm.height() * 12)), int(keyMapMinimumHeight(fm)));
}

bool KeyMapWidget::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString text = textAt(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    return QWidget::event(event);
}

void KeyMapWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintKeyMap(painter, data_, size(), palette(), hover_);
}

void KeyMapWidget::mouseMoveEvent(QMouseEvent *event)
{
    setHover(positionAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void KeyMapWidget::leaveEvent(QEvent *event)
{
    setHover(std::nullopt);
    QWidget::leaveEvent(event);
}

void KeyMapWidget::setHover(std::optional<std::int64_t> position)
{
    const QString text = position ? hoverText(data_, *position) : QString();
    if (text.isEmpty())
        position.reset();
    if (position != hover_)
        update();
    hover_ = position;
    if (text != hoverText_) {
        hoverText_ = text;
        emit hoverTextChanged(text);
        // A tooltip already showing follows the mouse to the new position.
        if (QToolTip::isVisible())
            QToolTip::showText(QCursor::pos(), text, this);
    }
}

} // namespace tunedeck
