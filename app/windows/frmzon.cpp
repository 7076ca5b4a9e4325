#include "windows/frmzon.h"

#include "binding/tonalytelibrary.h"
#include "keymap/keymapwidget.h"
#include "fastdetect/meter.h"
#include "playback/playlistoutput.h"
#include "reports/resulttext.h"
#include "windows/notifylabel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace tunedeck {

namespace {

void printError(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

} // namespace

FrmZon::FrmZon(TonalyteLibrary &library, PlayListOutput *output, QWidget *parent)
    : QMainWindow(parent), library_(library), output_(output), session_(library, output, *this)
{
    setObjectName(QStringLiteral("FrmZon"));
    setWindowTitle(QStringLiteral("Tunedeck"));
    buildWindow();
    wire();
    buildPorts();
    fitToScreen();
}

void FrmZon::fitToScreen()
{
    // Everything in view where the screen allows; the scroll area takes over where not.
    const int chrome = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    QSize wanted = central_->sizeHint() + QSize(0, chrome);
    if (const QScreen *s = screen())
        wanted = wanted.boundedTo(s->availableGeometry().size() * 0.95);
    resize(wanted);
}

FrmZon::~FrmZon() = default;

void FrmZon::buildWindow()
{
    // The controls scroll where the screen is too small for them (a laptop at 2x scale).
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("CentralScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *central = central_ = new QWidget(scroll);
    menu_ = buildMenu(menuBar());
    buildDesktop();
    input_ = buildInputSection(central);
    mode_ = buildModeSection(central);
    results_ = buildResultsSection(central);
    info_ = buildInfoSection(central);

    central->setMinimumWidth(QFontMetrics(font()).averageCharWidth() * 84);
    auto *layout = new QVBoxLayout(central);
    for (QGroupBox *section : {input_.box, mode_.box, results_.box, info_.box})
        layout->addWidget(section);
    // Below every control of the window: the key map, growing with the window.
    keyMap_ = new KeyMapWidget(central);
    keyMap_->setObjectName(QStringLiteral("KeyMap"));
    layout->addWidget(keyMap_, 1);
    scroll->setWidget(central);
    setCentralWidget(scroll);

    soundOffLabel = new QLabel(statusBar());
    soundOffLabel->setObjectName(QStringLiteral("soundOffLabel"));
    soundOffLabel->hide();
    statusBar()->addWidget(soundOffLabel, 1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1500);
    TimerCTime = new QTimer(this);
    TimerCTime->setObjectName(QStringLiteral("TimerCTime"));
    TimerCTime->setInterval(1000);
}

void FrmZon::wire()
{
    connect(menu_.mnuAbout, &QAction::triggered, this, &FrmZon::showAbout);
    connect(menu_.mnuReadMe, &QAction::triggered, this, &FrmZon::showReadMe);
    connect(mnuSaveKeyMap, &QAction::triggered, this, &FrmZon::saveKeyMap);
    connect(keyMap_, &KeyMapWidget::hoverTextChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            statusBar()->showMessage(text, 4000);
    });
    connect(input_.CmdBrow, &QPushButton::clicked, this, &FrmZon::CmdBrow_Click);
    connect(input_.ChkAll, &QCheckBox::toggled, this, &FrmZon::ChkAll_Click);
    connect(mode_.CmdPlay, &QPushButton::clicked, this, &FrmZon::CmdPlay_Click);
    connect(mode_.CmdFastDetect, &QPushButton::clicked, this, &FrmZon::CmdFastDetect_Click);
    connect(mode_.CmdStop, &QPushButton::clicked, this, &FrmZon::CmdStop_Click);
    connect(results_.LblSignat, &NotifyLabel::doubleClicked, this, &FrmZon::LblSignat_DblClick);
    connect(Timer1, &QTimer::timeout, this, &FrmZon::Timer1_Timer);
    connect(TimerCTime, &QTimer::timeout, this, &FrmZon::TimerCTime_Timer);
    wireDesktop();

    if (!output_)
        return;
    connect(output_, &PlayListOutput::playedEvent, this, [this](qint32 tag) { session_.played(tag); });
    connect(output_, &PlayListOutput::endOfData, this, &FrmZon::MIDIOutput1_EndOfData);
    connect(output_, &PlayListOutput::error, this, [this](const QString &message) {
        MIDIOutput1_Error();
        statusBar()->showMessage(QStringLiteral("MIDI output: ") + message, 15000);
    });
    connect(output_, &PlayListOutput::soundUnavailable, this, &FrmZon::showSoundOff);
    if (!output_->soundOffReason().isEmpty())
        showSoundOff(output_->soundOffReason());
}

bool FrmZon::Form_Initialize(bool messageBox)
{
    input_.CmbTrks->clear();
    for (int i = 1; i <= 12; ++i)
        input_.CmbTrks->addItem(QStringLiteral("Track %1").arg(i, 2, 10, QLatin1Char('0')));
    input_.CmbTrks->setCurrentIndex(0);

    qint32 version = 0;
    if (!library_.checkVersion(version)) {
        const QString message = versionMessage();
        printError(message);
        if (!library_.bindError().isEmpty())
            printError(library_.bindError());
        if (messageBox) {
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Tunedeck"), message, QMessageBox::Ok);
            box.setObjectName(QStringLiteral("VersionMessage"));
            box.exec();
        }
        return false;
    }
    info_.LblDllVer->setText(text::libraryVersion(version));

    input_.CmbTimeSign->setCurrentIndex(DefaultMeter);
    if (!frmHaStr_) {
        frmHaStr_ = new FrmHaStr(this);
        connect(frmHaStr_, &FrmHaStr::mainHaStrChanged, info_.LblHaStr, &QLabel::setText);
    }
    return true;
}

void FrmZon::selectMidiFile(const QString &path)
{
    lastBrowsed_ = QFileInfo(path).absoluteFilePath();
    midiFilePath_ = lastBrowsed_;
    input_.LblInputFile->setText(midiFilePath_);
    input_.LblInputFile->setToolTip(midiFilePath_);
    if (QFileInfo(midiFilePath_).isFile()) {
        recent_.add(midiFilePath_);
        refreshRecentMenu();
    }
}

QString FrmZon::examplesFolder()
{
    const QDir appDir(QCoreApplication::applicationDirPath());
    const QString installed = QDir::cleanPath(appDir.absoluteFilePath(QStringLiteral(TUNEDECK_INSTALLED_EXAMPLES)));
    if (QFileInfo(installed).isDir())
        return installed;
    const QString source = QStringLiteral(TUNEDECK_SOURCE_EXAMPLES);
    if (QFileInfo(source).isDir())
        return source;
    return QDir::homePath();
}

void FrmZon::CmdBrow_Click()
{
    const QString start = lastBrowsed_.isEmpty() ? examplesFolder() : lastBrowsed_;
    const QString chosen = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open MIDI File"), start,
        // Listed in both cases: the platform dialogs match patterns case-sensitively.
        QStringLiteral("MIDI files (*.mid *.midi *.MID *.MIDI *.Mid *.Midi);;All files (*)"));
    // A cancel keeps the previous choice.
    if (chosen.isEmpty())
        return;
    selectMidiFile(chosen);
}

void FrmZon::ChkAll_Click()
{
    input_.CmbTrks->setEnabled(!input_.ChkAll->isChecked());
}

void FrmZon::LblSignat_DblClick()
{
    const bool on = info_.LblInpTCnt->isHidden();
    for (QLabel *testLabel : info_.testLabels())
        testLabel->setVisible(on);
    library_.KeySetTestOn(on ? 1 : 0);
}

TrackChoice FrmZon::trackChoice() const
{
    // Text typed into the edit field that names no item selects nothing.
    return {input_.ChkAll->isChecked(), input_.CmbTrks->findText(input_.CmbTrks->currentText())};
}

bool FrmZon::moreSensitive() const
{
    return mode_.OptMoreSen->isChecked();
}

KeyCountChoice FrmZon::keyCount() const
{
    constexpr KeyCountChoice choices[] = {KeyCountChoice::NotKnown, KeyCountChoice::One, KeyCountChoice::Two,
                                          KeyCountChoice::Three, KeyCountChoice::Four};
    for (std::size_t i = 0; i < results_.keyCount.size(); ++i)
        if (results_.keyCount[i]->isChecked())
            return choices[i];
    return KeyCountChoice::Two;
}

void FrmZon::showAbout()
{
    if (!frmAbout_)
        frmAbout_ = new FrmAbout(this);
    frmAbout_->showAndActivate();
}

void FrmZon::showReadMe()
{
    if (!frmReadMe_)
        frmReadMe_ = new FrmReadMe(this);
    frmReadMe_->showAndActivate();
}

void FrmZon::showSoundOff(const QString &reason)
{
    const QString lead = QStringLiteral("Sound is off");
    const QString text = reason.startsWith(lead, Qt::CaseInsensitive) ? reason : lead + QStringLiteral(": ") + reason;
    soundOffLabel->setText(text);
    soundOffLabel->setToolTip(text);
    soundOffLabel->show();
}

void FrmZon::closeEvent(QCloseEvent *event)
{
    // Closing from inside the fast run's event processing would pull the window from under
    // the running loop: cancel the run and close once it has returned.
    if (fastBusy_) {
        cancelRequested_ = true;
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    endListening(false);
    stopPlayback();
    Timer1->stop();
    TimerCTime->stop();
    event->accept();
    Form_Unload();
}

void FrmZon::Form_Unload()
{
    delete frmAbout_.data();
    delete frmReadMe_.data();
    delete frmHaStr_.data();
}

} // namespace tunedeck
