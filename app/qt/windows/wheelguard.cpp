#include "qt/windows/wheelguard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

namespace tunedeck {

namespace {

class WheelGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() != QEvent::Wheel || !widget || widget->hasFocus())
            return false;
        // Ignored, the wheel goes on to the parents: the page scrolls.
        event->ignore();
        return true;
    }
};

} // namespace

void guardWheel(QWidget *root)
{
    auto *guard = new WheelGuard(root);
    const auto guardAll = [guard](const auto &widgets) {
        for (QWidget *w : widgets) {
            w->setFocusPolicy(Qt::StrongFocus);
            w->installEventFilter(guard);
        }
    };
    guardAll(root->findChildren<QComboBox *>());
    guardAll(root->findChildren<QAbstractSpinBox *>());
    guardAll(root->findChildren<QAbstractSlider *>());
}

} // namespace tunedeck
