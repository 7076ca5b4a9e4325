// The chord-name window: turns the harmony code in force into a compact chord string here
// and a readable chord name for the main window. Loaded hidden; the program never shows it.
#ifndef TUNEDECK_FRMHASTR_H
#define TUNEDECK_FRMHASTR_H

#include <QDialog>

class QLabel;

namespace tunedeck {

class NotifyLabel;

class FrmHaStr : public QDialog {
    Q_OBJECT
public:
    explicit FrmHaStr(QWidget *parent = nullptr);

    // Writing a new code text here converts Module1::HaCodeCur.
    NotifyLabel *haCurStrLabel() const { return LblHaCurStr; }

signals:
    // The main window's LblHaStr caption: a blank and the readable chord name.
    void mainHaStrChanged(const QString &caption);

protected:
    void changeEvent(QEvent *event) override;

private:
    void LblHaCurStr_Change();

    QLabel *LblHaStr;
    NotifyLabel *LblHaCurStr;
};

} // namespace tunedeck

#endif
