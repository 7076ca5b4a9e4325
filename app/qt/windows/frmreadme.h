// The Read Me window: what the program does, how to use it, and the licence agreement.
#ifndef TUNEDECK_QT_WINDOWS_FRMREADME_H
#define TUNEDECK_QT_WINDOWS_FRMREADME_H

#include "qt/windows/hidingdialog.h"

namespace tunedeck {

class FrmReadMe : public HidingDialog {
    Q_OBJECT
public:
    explicit FrmReadMe(QWidget *parent = nullptr);

    static QString readMeText();
};

} // namespace tunedeck

#endif
