#include "windows/frmhastr.h"

#include "keys/harmonycode.h"
#include "module1.h"
#include "windows/notifylabel.h"

#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>

namespace tunedeck {

FrmHaStr::FrmHaStr(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmHaStr"));
    setWindowTitle(QStringLiteral("HaCode To HaString"));

    LblHaStr = new QLabel(QStringLiteral("C#M7+"), this);
    LblHaStr->setObjectName(QStringLiteral("LblHaStr"));
    // Fixed width, so every five-character chord string lines up.
    LblHaStr->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    LblHaCurStr = new NotifyLabel(QStringLiteral("00000"), this);
    LblHaCurStr->setObjectName(QStringLiteral("LblHaCurStr"));
    connect(LblHaCurStr, &NotifyLabel::captionChanged, this, &FrmHaStr::LblHaCurStr_Change);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(LblHaCurStr);
    layout->addWidget(LblHaStr, 1);
}

void FrmHaStr::LblHaCurStr_Change()
{
    const ChordName name = convertHarmonyCode(Module1::HaCodeCur, Module1::CurKeyAccidental);
    LblHaStr->setText(name.compact);
    emit mainHaStrChanged(QStringLiteral(" ") + name.readable);
}

void FrmHaStr::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow())
        hide();
}

} // namespace tunedeck
