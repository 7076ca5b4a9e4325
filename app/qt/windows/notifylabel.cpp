#include "qt/windows/notifylabel.h"

#include <QMouseEvent>

namespace tunedeck {

NotifyLabel::NotifyLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {}

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
