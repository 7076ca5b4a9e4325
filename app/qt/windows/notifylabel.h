// A label that tells when it is double-clicked: the key-signature label is the test switch.
#ifndef TUNEDECK_QT_WINDOWS_NOTIFYLABEL_H
#define TUNEDECK_QT_WINDOWS_NOTIFYLABEL_H

#include <QLabel>

namespace tunedeck {

class NotifyLabel : public QLabel {
    Q_OBJECT
public:
    explicit NotifyLabel(const QString &text = {}, QWidget *parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

} // namespace tunedeck

#endif
