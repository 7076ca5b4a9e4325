#include "qt/windows/frmhastr.h"

#include "core/reports/harmonycodename.h"
#include "qt/base/qttext.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>

namespace tunedeck {

FrmHaStr::FrmHaStr(QWidget *parent) : HidingDialog(parent)
{
    setObjectName(QStringLiteral("FrmHaStr"));
    setWindowTitle(QStringLiteral("HaCode To HaString"));

    LblHaStr = new QLabel(QStringLiteral("C#M7+"), this);
    LblHaStr->setObjectName(QStringLiteral("LblHaStr"));
    // Fixed width, so every five-character chord string lines up.
    LblHaStr->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    LblHaCurStr = new QLabel(QStringLiteral("00000"), this);
    LblHaCurStr->setObjectName(QStringLiteral("LblHaCurStr"));

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(LblHaCurStr);
    layout->addWidget(LblHaStr, 1);
}

void FrmHaStr::showHarmonyCode(std::int32_t haCode)
{
    LblHaCurStr->setText(QString::number(haCode).rightJustified(5, QLatin1Char('0')));
    const HarmonyCodeName name = harmonyCodeName(haCode, accidental_);
    LblHaStr->setText(qtext(name.compact));
    emit mainHaStrChanged(qtext(" " + name.readable));
}

} // namespace tunedeck
