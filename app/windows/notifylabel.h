// A label that tells when its caption changes and when it is double-clicked: the key-code
// label drives the key display this way, the key-signature label is the test switch.
#ifndef TUNEDECK_NOTIFYLABEL_H
#define TUNEDECK_NOTIFYLABEL_H

#include <QLabel>

namespace tunedeck {

class NotifyLabel : public QLabel {
    Q_OBJECT
public:
    explicit NotifyLabel(const QString &text = {}, QWidget *parent = nullptr);

    // Sets the caption; captionChanged follows only when the text differs from before.
    void setCaption(const QString &text);

signals:
    void captionChanged(const QString &text);
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

} // namespace tunedeck

#endif
