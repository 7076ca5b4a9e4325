// The About window: who made the program and the library, and what it is built with.
#ifndef TUNEDECK_FRMABOUT_H
#define TUNEDECK_FRMABOUT_H

#include <QDialog>

namespace tunedeck {

class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);

protected:
    // Left by the user: hide, but stay loaded for the next menu choice.
    void changeEvent(QEvent *event) override;
};

} // namespace tunedeck

#endif
