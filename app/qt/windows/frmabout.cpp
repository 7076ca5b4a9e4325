#include "qt/windows/frmabout.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace tunedeck {

namespace {

QLabel *aboutLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    return label;
}

QString link(const QString &target, const QString &shown)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(target, shown.toHtmlEscaped());
}

} // namespace

FrmAbout::FrmAbout(QWidget *parent) : HidingDialog(parent)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("About ..."));

    // Only an address the packager set at build time: the project owns no other.
    const QString web = QStringLiteral(TUNEDECK_HOMEPAGE);

    auto *title = aboutLabel(this, "Label1", QStringLiteral("Tunedeck"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    titleFont.setBold(true);
    title->setFont(titleFont);
    // main() sets the version the build was given; a window built without it shows none.
    const QString version = QCoreApplication::applicationVersion();
    QLabel *versionLine =
        version.isEmpty() ? nullptr : aboutLabel(this, "LblVersion", QStringLiteral("Version ") + version);

    auto *credit = aboutLabel(this, "Label2",
                              QStringLiteral("Tunedeck and Tonalyte by the Tunedeck developers - 05/2008"));
    auto *company = aboutLabel(this, "Label3",
                               web.isEmpty() ? QStringLiteral("Tunedeck project")
                                             : QStringLiteral("Tunedeck project - ") + link(web, web));
    company->setTextFormat(Qt::RichText);
    company->setOpenExternalLinks(true);
    company->setTextInteractionFlags(Qt::TextBrowserInteraction);
    auto *docs = aboutLabel(this, "Label4",
                            QStringLiteral("More in README.md and the manual pages: man tunedeck, man tunedeck-detect"));
    docs->setTextFormat(Qt::PlainText);
    auto *blank = aboutLabel(this, "Label5", QString());

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto *components = aboutLabel(
        this, "Label6",
        QStringLiteral("Built with Qt (file dialog, windows), FluidSynth with the TimGM6mb General MIDI "
                       "soundfont (MIDI output) and Tunedeck's own MIDI file reader."));
    QFont small = components->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    components->setFont(small);
    components->setForegroundRole(QPalette::PlaceholderText);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(8);
    layout->addWidget(title);
    if (versionLine)
        layout->addWidget(versionLine);
    layout->addWidget(credit);
    layout->addWidget(company);
    layout->addWidget(docs);
    layout->addWidget(blank);
    layout->addStretch(1);
    layout->addWidget(rule);
    layout->addWidget(components);
    layout->addWidget(buttons);

    setMinimumWidth(420);
}

} // namespace tunedeck
