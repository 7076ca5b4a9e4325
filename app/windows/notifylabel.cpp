#include "windows/notifylabel.h"

#include <QMouseEvent>

namespace tunedeck {

NotifyLabel::NotifyLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {}

void NotifyLabel::setCaption(const QString &text)
{
    if (text == QLabel::text())
        return;
    setText(text);
    emit captionChanged(text);
}

void NotifyLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
        event->accept();
        return;
    }
    QLabel::mouseDoubleClickEvent(event);
}

} // namespace tunedeck
