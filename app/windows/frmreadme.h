// The Read Me window: what the program does, how to use it, and the licence agreement.
#ifndef TUNEDECK_FRMREADME_H
#define TUNEDECK_FRMREADME_H

#include <QDialog>

namespace tunedeck {

class FrmReadMe : public QDialog {
    Q_OBJECT
public:
    explicit FrmReadMe(QWidget *parent = nullptr);

    static QString readMeText();

protected:
    // Left by the user: hide, but stay loaded for the next menu choice.
    void changeEvent(QEvent *event) override;
};

} // namespace tunedeck

#endif
