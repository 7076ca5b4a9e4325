#include "windows/elidingcombobox.h"

#include <QHelpEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolTip>

namespace tunedeck {

QRect ElidingComboBox::textField() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    // The styles write the label a pixel in from either side of the field.
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).adjusted(1, 0, -1, 0);
}

QString ElidingComboBox::shownText() const
{
    return fontMetrics().elidedText(currentText(), Qt::ElideRight, textField().width());
}

bool ElidingComboBox::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && shownText() != currentText() && !toolTip().contains(currentText())) {
        const auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), toolTip().isEmpty() ? currentText() : currentText() + QLatin1Char('\n') + toolTip(),
                           this);
        return true;
    }
    return QComboBox::event(event);
}

void ElidingComboBox::paintEvent(QPaintEvent *)
{
    // As QComboBox paints itself, with the label's text cut to its field.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() >= 0 || placeholderText().isEmpty())
        option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

} // namespace tunedeck
