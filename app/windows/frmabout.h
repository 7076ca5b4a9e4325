// The About window: who made the program and the library, and what it is built with.
#ifndef TUNEDECK_FRMABOUT_H
#define TUNEDECK_FRMABOUT_H

#include "windows/hidingdialog.h"

namespace tunedeck {

class FrmAbout : public HidingDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);
};

} // namespace tunedeck

#endif
