// A drop-down list whose chosen text, when longer than the box, ends in an ellipsis rather
// than being cut mid-letter (its owner puts the whole text in the tool tip). The list itself
// shows every entry whole.
#ifndef TUNEDECK_QT_WINDOWS_ELIDINGCOMBOBOX_H
#define TUNEDECK_QT_WINDOWS_ELIDINGCOMBOBOX_H

#include <QComboBox>

namespace tunedeck {

class ElidingComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    // The field the chosen text is written in, and that text as it shows there.
    QRect textField() const;
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tunedeck

#endif
