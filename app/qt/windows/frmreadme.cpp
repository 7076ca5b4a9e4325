#include "qt/windows/frmreadme.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tunedeck {

namespace {

// Only an address the packager set at build time: the project owns no other.
QString homepage()
{
    const QString web = QStringLiteral(TUNEDECK_HOMEPAGE);
    return web.isEmpty() ? QString() : QStringLiteral(", ") + web;
}

} // namespace

QString FrmReadMe::readMeText()
{
    return QStringLiteral(
               "Read Me:\n"
               "\n"
               "Tunedeck tries to detect the key (the tonic, major or minor) of the music in real "
               "time, while it plays an input MIDI song. \"2- Fast Detect\" does the same for the "
               "whole file at once, without playing it.\n"
               "\n"
               "You can choose one track of the song in \"Select Track\", or check \"All\" "
               "(select all) to use all the notes of every track.\n"
               "\n"
               "With \"All\" checked, all events on MIDI channel 10 (the drums) are ignored by the "
               "key detection; they are still played. Choose the drum track on its own if you want "
               "it analysed.\n"
               "\n"
               "The key detection uses a fast real-time key detection algorithm developed by the "
               "author of Tunedeck, in the Tonalyte library.\n"
               "\n"
               "Contact: the Tunedeck developers, Tunedeck project")
        + homepage()
        + QStringLiteral("\n"
                         "More in README.md and the manual pages: man tunedeck, man tunedeck-detect\n"
                         "\n"
                         "========================================\n"
                         "\n"
                         "License Agreement:\n"
                         "\n"
                         "By using this software you accept this agreement.\n"
                         "\n"
                         "You may not reverse compile the software or make derivative works of it.\n"
                         "\n"
                         "You may use the software for your own tasks.\n"
                         "\n"
                         "The software is provided as is, without warranty of any kind. The authors "
                         "are not liable for any damage or loss that comes from its use.\n");
}

FrmReadMe::FrmReadMe(QWidget *parent) : HidingDialog(parent)
{
    setObjectName(QStringLiteral("FrmReadMe"));
    setWindowTitle(QStringLiteral("Read Me & License Agreemen"));

    auto *text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Text1"));
    text->setReadOnly(true);
    text->setPlainText(readMeText());

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);

    const QFontMetrics fm(text->font());
    resize(fm.averageCharWidth() * 80, fm.lineSpacing() * 32);
}

} // namespace tunedeck
