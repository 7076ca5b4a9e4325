#include "qt/windows/elidingcombobox.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

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
