// A small window that hides when the user leaves it, and stays loaded for the next time:
// the About, Read Me and chord-name windows.
#ifndef TUNEDECK_QT_WINDOWS_HIDINGDIALOG_H
#define TUNEDECK_QT_WINDOWS_HIDINGDIALOG_H

#include <QDialog>
#include <QEvent>

namespace tunedeck {

class HidingDialog : public QDialog {
public:
    using QDialog::QDialog;

    void showAndActivate()
    {
        show();
        raise();
        activateWindow();
    }

protected:
    void changeEvent(QEvent *event) override
    {
        QDialog::changeEvent(event);
        if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow())
            hide();
    }
};

} // namespace tunedeck

#endif
