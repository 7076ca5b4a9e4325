// The chord-name window: turns a harmony code into a compact chord string here and a
// readable chord name for the main window. Loaded hidden; the program never shows it.
#ifndef TUNEDECK_QT_WINDOWS_FRMHASTR_H
#define TUNEDECK_QT_WINDOWS_FRMHASTR_H

#include "qt/windows/hidingdialog.h"

#include <cstdint>

class QLabel;

namespace tunedeck {

class FrmHaStr : public HidingDialog {
    Q_OBJECT
public:
    explicit FrmHaStr(QWidget *parent = nullptr);

    // The key in force spells chord roots with sharps (+1) or flats (-1).
    void setKeyAccidental(std::int16_t accidental) { accidental_ = accidental; }
    // Shows the chord of a harmony code (five decimal digits; 0 for no chord).
    void showHarmonyCode(std::int32_t haCode);

signals:
    // The main window's LblHaStr caption: a blank and the readable chord name.
    void mainHaStrChanged(const QString &caption);

private:
    QLabel *LblHaStr;
    QLabel *LblHaCurStr;
    std::int16_t accidental_ = 0;
};

} // namespace tunedeck

#endif
