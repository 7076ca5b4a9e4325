// The About window: who made the program and the library, and what it is built with.
#ifndef TUNEDECK_QT_WINDOWS_FRMABOUT_H
#define TUNEDECK_QT_WINDOWS_FRMABOUT_H

#include "qt/windows/hidingdialog.h"

namespace tunedeck {

class FrmAbout : public HidingDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);
};

} // namespace tunedeck

#endif
