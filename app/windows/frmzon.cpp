#include "windows/frmzon.h"

#include "windows/frmabout.h"
#include "windows/frmreadme.h"
#include "windows/notifylabel.h"
#include "playback/playlistoutput.h"
#include "windows/frmhastr.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace tunedeck {

namespace {

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QFont scaled(QFont font, qreal factor, bool bold = false)
{
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

// A label whose size never follows its text: a caption change then repaints the label
// without laying the window out again, which matters when fast detection rewrites it per event.
void fixSize(QLabel *label, int width, int height)
{
    label->setFixedSize(width, height);
}

void printError(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

} // namespace

FrmZon::FrmZon(TonalyteLibrary &library, PlayListOutput *output, QWidget *parent)
    : QMainWindow(parent), logic_(library, *this, output), output_(output)
{
    setObjectName(QStringLiteral("FrmZon"));
    setWindowTitle(QStringLiteral("Tunedeck"));
    buildWindow();

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(1500);
    TimerCTime = named(new QTimer(this), "TimerCTime");
    TimerCTime->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { logic_.Timer1_Timer(); });
    connect(TimerCTime, &QTimer::timeout, this, [this] { logic_.TimerCTime_Timer(); });

    if (output_) {
        connect(output_, &PlayListOutput::playedEvent, this,
                [this](qint32 tag) { logic_.MIDIOutput1_PlayedEvent(tag); });
        connect(output_, &PlayListOutput::endOfData, this, [this] { logic_.MIDIOutput1_EndOfData(); });
        connect(output_, &PlayListOutput::error, this, [this](const QString &message) {
            logic_.MIDIOutput1_Error();
            statusBar()->showMessage(QStringLiteral("MIDI output: ") + message, 15000);
        });
        connect(output_, &PlayListOutput::soundUnavailable, this, &FrmZon::showSoundOff);
        if (!output_->soundOffReason().isEmpty())
            showSoundOff(output_->soundOffReason());
    }
}

FrmZon::~FrmZon() = default;

void FrmZon::buildWindow()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    const QFontMetrics fm(font());

    // Menu: two items straight on the bar.
    mnuAbout = named(menuBar()->addAction(QStringLiteral("About")), "mnuAbout");
    mnuAbout->setStatusTip(QStringLiteral("Who made Tunedeck and what it is built with"));
    mnuReadMe = named(menuBar()->addAction(QStringLiteral("ReadMe")), "mnuReadMe");
    mnuReadMe->setShortcut(QKeySequence::HelpContents);
    mnuReadMe->setStatusTip(QStringLiteral("How to use Tunedeck, and the licence agreement"));
    connect(mnuAbout, &QAction::triggered, this, &FrmZon::showAbout);
    connect(mnuReadMe, &QAction::triggered, this, &FrmZon::showReadMe);

    // A- Input
    auto *input = named(new QGroupBox(QStringLiteral(" A- Input :"), central), "FraInput");
    CmdBrow = named(new QPushButton(QStringLiteral("Browse"), input), "CmdBrow");
    CmdBrow->setToolTip(QStringLiteral("Choose a MIDI file"));
    LblInputFile = named(new QLabel(QStringLiteral("Input Midi File"), input), "LblInputFile");
    LblInputFile->setFrameShape(QFrame::StyledPanel);
    LblInputFile->setFrameShadow(QFrame::Sunken);
    // Long paths are cut rather than widening the window; the tool tip holds the whole path.
    LblInputFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    LblInputFile->setMinimumWidth(fm.averageCharWidth() * 30);
    LblInputFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label1 = named(new QLabel(QStringLiteral("Select Track"), input), "Label1");
    CmbTrks = named(new QComboBox(input), "CmbTrks");
    CmbTrks->setEditable(true);
    CmbTrks->setInsertPolicy(QComboBox::NoInsert);
    CmbTrks->setEnabled(false);
    CmbTrks->setMinimumContentsLength(8);
    Label1->setBuddy(CmbTrks);
    ChkAll = named(new QCheckBox(QStringLiteral("All"), input), "ChkAll");
    ChkAll->setChecked(true);
    ChkAll->setToolTip(QStringLiteral("Use every track; drums on MIDI channel 10 are not analysed"));
    Label4 = named(new QLabel(QStringLiteral("Meter Timing"), input), "Label4");
    CmbTimeSign = named(new QComboBox(input), "CmbTimeSign");
    CmbTimeSign->addItems({QStringLiteral("2/4"), QStringLiteral("3/4"), QStringLiteral("4/4"),
                           QStringLiteral("6/8")});
    CmbTimeSign->setToolTip(QStringLiteral("Meter used to number the bars of a fast detection"));
    Label4->setBuddy(CmbTimeSign);
    connect(CmdBrow, &QPushButton::clicked, this, &FrmZon::CmdBrow_Click);
    connect(ChkAll, &QCheckBox::toggled, this, &FrmZon::ChkAll_Click);

    auto *inputGrid = new QGridLayout(input);
    inputGrid->addWidget(CmdBrow, 0, 0);
    inputGrid->addWidget(LblInputFile, 0, 1, 1, 6);
    inputGrid->addWidget(Label1, 1, 0, Qt::AlignRight);
    inputGrid->addWidget(CmbTrks, 1, 1);
    inputGrid->addWidget(ChkAll, 1, 2);
    inputGrid->setColumnStretch(3, 1);
    inputGrid->addWidget(Label4, 1, 4, Qt::AlignRight);
    inputGrid->addWidget(CmbTimeSign, 1, 5);

    // B- Processing mode
    auto *mode = named(new QGroupBox(QStringLiteral(" B- Processing mode :  (click a button to start)"), central),
                       "FraMode");
    CmdPlay = named(new QPushButton(QStringLiteral("1- Real Time Play"), mode), "CmdPlay");
    CmdPlay->setToolTip(QStringLiteral("Play the file and detect the key while it sounds"));
    CmdFastDetect = named(new QPushButton(QStringLiteral("2- Fast Detect"), mode), "CmdFastDetect");
    CmdFastDetect->setToolTip(QStringLiteral("Detect the key of the whole file at once, without playing"));
    CmdStop = named(new QPushButton(QStringLiteral("Stop"), mode), "CmdStop");
    CmdStop->setToolTip(QStringLiteral("Stop playing, or cancel a fast detection"));
    // The two ways to start are the main actions of the window.
    for (QPushButton *start : {CmdPlay, CmdFastDetect}) {
        start->setMinimumHeight(fm.height() * 2 + 8);
        start->setFont(scaled(font(), 1.0, true));
    }
    connect(CmdPlay, &QPushButton::clicked, this, [this] { logic_.CmdPlay_Click(); });
    connect(CmdFastDetect, &QPushButton::clicked, this, &FrmZon::CmdFastDetect_Click);
    connect(CmdStop, &QPushButton::clicked, this, [this] { logic_.CmdStop_Click(); });

    auto *picture1 = named(new QFrame(mode), "Picture1");
    picture1->setFrameShape(QFrame::StyledPanel);
    OptLessSen = named(new QRadioButton(QStringLiteral("Normal"), picture1), "OptLessSen");
    OptMoreSen = named(new QRadioButton(QStringLiteral("More sensitive"), picture1), "OptMoreSen");
    OptLessSen->setChecked(true);
    auto *sensitivity = new QButtonGroup(picture1);
    sensitivity->addButton(OptLessSen);
    sensitivity->addButton(OptMoreSen);
    auto *picture1Layout = new QVBoxLayout(picture1);
    picture1Layout->addWidget(OptLessSen);
    picture1Layout->addWidget(OptMoreSen);

    auto *modeLayout = new QHBoxLayout(mode);
    auto *buttons = new QVBoxLayout;
    auto *startRow = new QHBoxLayout;
    startRow->addWidget(CmdPlay);
    startRow->addWidget(CmdFastDetect);
    buttons->addLayout(startRow);
    buttons->addWidget(CmdStop);
    modeLayout->addLayout(buttons, 1);
    modeLayout->addSpacing(fm.averageCharWidth() * 2);
    modeLayout->addWidget(picture1);

    // C- Output key info
    auto *output = named(new QGroupBox(QStringLiteral(" C- Output key info :"), central), "FraOutput");
    LblKType = named(new QLabel(QStringLiteral("Key"), output), "LblKType");
    LblKType->setFont(scaled(font(), 1.0, true));
    LblKeyStr = named(new QLabel(QStringLiteral("-"), output), "LblKeyStr");
    LblKeyStr->setFont(scaled(font(), 1.7, true));
    LblKeyStr->setToolTip(QStringLiteral("Key (tonic and mode)"));
    LblSignat = named(new NotifyLabel(QStringLiteral("-"), output), "LblSignat");
    LblSignat->setFont(scaled(font(), 1.7, true));
    LblSignat->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblSignat->setToolTip(QStringLiteral("Key signature: sharps (#) or flats (b)"));
    connect(LblSignat, &NotifyLabel::doubleClicked, this, &FrmZon::LblSignat_DblClick);
    CmbKeyList = named(new QComboBox(output), "CmbKeyList");
    CmbKeyList->setToolTip(QStringLiteral("Candidate keys of the whole input, most likely first"));
    LblKeyTiming = named(new QLabel(QStringLiteral("Timing"), output), "LblKeyTiming");
    LblKeyTiming->setFont(scaled(font(), 1.0, true));
    CmbKeyPoint = named(new QComboBox(output), "CmbKeyPoint");
    CmbKeyPoint->setToolTip(QStringLiteral("Where the music enters each of its main keys"));
    for (QComboBox *box : {CmbKeyList, CmbKeyPoint})
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CmbKeyList->setMinimumContentsLength(24);
    CmbKeyPoint->setMinimumContentsLength(24);
    Label6 = named(new QLabel(QStringLiteral("The input probably has :"), output), "Label6");

    auto *picture2 = named(new QFrame(output), "Picture2");
    OptNKey = named(new QRadioButton(QStringLiteral("I don't known"), picture2), "OptNKey");
    Opt1Key = named(new QRadioButton(QStringLiteral("1 key"), picture2), "Opt1Key");
    Opt2Key = named(new QRadioButton(QStringLiteral("2 keys"), picture2), "Opt2Key");
    Opt3Key = named(new QRadioButton(QStringLiteral("3 keys"), picture2), "Opt3Key");
    Opt4Key = named(new QRadioButton(QStringLiteral("4 keys"), picture2), "Opt4Key");
    Opt2Key->setChecked(true);
    auto *keyCountGroup = new QButtonGroup(picture2);
    auto *picture2Layout = new QHBoxLayout(picture2);
    picture2Layout->setContentsMargins(0, 0, 0, 0);
    for (QRadioButton *option : {OptNKey, Opt1Key, Opt2Key, Opt3Key, Opt4Key}) {
        keyCountGroup->addButton(option);
        picture2Layout->addWidget(option);
    }
    picture2Layout->addStretch(1);
    picture2->setToolTip(QStringLiteral("How many main keys the key timeline shows"));

    auto *keyRow = new QHBoxLayout;
    keyRow->addWidget(LblKeyStr, 1);
    keyRow->addWidget(LblSignat);
    auto *outputLayout = new QVBoxLayout(output);
    outputLayout->addWidget(LblKType);
    outputLayout->addLayout(keyRow);
    outputLayout->addWidget(CmbKeyList);
    outputLayout->addSpacing(fm.height() / 2);
    outputLayout->addWidget(LblKeyTiming);
    outputLayout->addWidget(CmbKeyPoint);
    outputLayout->addSpacing(fm.height() / 2);
    outputLayout->addWidget(Label6);
    outputLayout->addWidget(picture2);

    // D- Processing info
    auto *info = named(new QGroupBox(QStringLiteral(" D- Processing info :"), central), "FraInfo");
    LblMess = named(new QLabel(QStringLiteral("Events"), info), "LblMess");
    LblMess->setToolTip(QStringLiteral("Progress"));
    LblMess->setWordWrap(true);
    LblMess->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fixSize(LblMess, fm.averageCharWidth() * 44, fm.lineSpacing() * 2 + 4);
    LblcTime = named(new QLabel(QStringLiteral("00:00"), info), "LblcTime");
    QFont clockFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    clockFont.setPointSizeF(font().pointSizeF() * 1.5);
    clockFont.setBold(true);
    LblcTime->setFont(clockFont);
    LblcTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblcTime->setToolTip(QStringLiteral("Play time (MM:SS), or bar number of a fast detection"));
    {
        const QFontMetrics clock(clockFont);
        fixSize(LblcTime, clock.horizontalAdvance(QStringLiteral("00000:00")) + 4, clock.height() + 4);
    }
    LblError = named(new QLabel(QStringLiteral("Error"), info), "LblError");
    LblError->setToolTip(QStringLiteral("Errors and information"));
    LblError->setWordWrap(true);
    LblHaStr = named(new QLabel(QStringLiteral("-"), info), "LblHaStr");
    LblHaStr->setToolTip(QStringLiteral("Details of the current key, or advice"));
    LblHaStr->setWordWrap(true);
    LblDllVer = named(new QLabel(QStringLiteral("DLL version"), info), "LblDllVer");
    Label2 = named(new QLabel(QStringLiteral("Static"), info), "Label2");
    for (QLabel *quiet : {LblDllVer, Label2})
        quiet->setForegroundRole(QPalette::PlaceholderText);

    // The test switch shows these working values of the library.
    LblKqKey = named(new NotifyLabel(QStringLiteral("Code"), info), "LblKqKey");
    connect(LblKqKey, &NotifyLabel::captionChanged, this, [this] { logic_.LblKqKey_Change(); });
    LblInpTCnt = named(new QLabel(QStringLiteral("0"), info), "LblInpTCnt");
    LblTapCnt = named(new QLabel(QStringLiteral("0"), info), "LblTapCnt");
    LblKeyType = named(new QLabel(QStringLiteral("0"), info), "LblKeyType");
    LblHaCode = named(new QLabel(QStringLiteral("00000"), info), "LblHaCode");
    LblTpNotDen = named(new QLabel(QStringLiteral("0"), info), "LblTpNotDen");
    const std::pair<QLabel *, const char *> testLabels[] = {
        {LblKqKey, "Key code in force"},       {LblInpTCnt, "Library: input count"},
        {LblTapCnt, "Library: tap count"},     {LblKeyType, "Library: key type"},
        {LblHaCode, "Harmony code"},           {LblTpNotDen, "Ticks per quarter note"},
    };
    auto *testRow = new QHBoxLayout;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (const auto &[testLabel, tip] : testLabels) {
        testLabel->setFont(fixed);
        testLabel->setFrameShape(QFrame::StyledPanel);
        testLabel->setFrameShadow(QFrame::Sunken);
        testLabel->setToolTip(QLatin1String(tip));
        testLabel->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("00000")) + 8);
        testLabel->hide();
        testRow->addWidget(testLabel);
    }
    testRow->addStretch(1);

    auto *messRow = new QHBoxLayout;
    messRow->addWidget(LblMess);
    messRow->addStretch(1);
    messRow->addWidget(LblcTime);
    auto *versionRow = new QHBoxLayout;
    versionRow->addWidget(LblDllVer);
    versionRow->addStretch(1);
    versionRow->addWidget(Label2);
    auto *infoLayout = new QVBoxLayout(info);
    infoLayout->addLayout(messRow);
    infoLayout->addWidget(LblError);
    infoLayout->addWidget(LblHaStr);
    infoLayout->addLayout(testRow);
    infoLayout->addLayout(versionRow);

    central->setMinimumWidth(fm.averageCharWidth() * 84);
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(input);
    layout->addWidget(mode);
    layout->addWidget(output);
    layout->addWidget(info);
    layout->addStretch(1);

    soundOffLabel = named(new QLabel(statusBar()), "soundOffLabel");
    soundOffLabel->hide();
    statusBar()->addWidget(soundOffLabel, 1);
}

bool FrmZon::Form_Initialize(bool messageBox)
{
    CmbTrks->clear();
    for (int i = 1; i <= 12; ++i)
        CmbTrks->addItem(QStringLiteral("Track %1").arg(i, 2, 10, QLatin1Char('0')));
    CmbTrks->setCurrentIndex(0);

    if (!logic_.checkLibrary()) {
        const QString message = versionMessage();
        printError(message);
        if (!logic_.library().bindError().isEmpty())
            printError(logic_.library().bindError());
        if (messageBox) {
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Tunedeck"), message, QMessageBox::Ok);
            box.setObjectName(QStringLiteral("VersionMessage"));
            box.exec();
        }
        return false;
    }

    CmbTimeSign->setCurrentIndex(2);
    if (!frmHaStr_) {
        frmHaStr_ = new FrmHaStr(this);
        connect(frmHaStr_, &FrmHaStr::mainHaStrChanged, LblHaStr, &QLabel::setText);
    }
    return true;
}

void FrmZon::selectMidiFile(const QString &path)
{
    lastBrowsed_ = QFileInfo(path).absoluteFilePath();
    logic_.setMidiFilePath(lastBrowsed_);
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

void FrmZon::CmdFastDetect_Click()
{
    eventsLetThrough_.invalidate();
    logic_.CmdFastDetect_Click();
    // A close asked for during the run was held back until the run returned.
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        close();
    }
}

void FrmZon::ChkAll_Click()
{
    CmbTrks->setEnabled(!ChkAll->isChecked());
}

void FrmZon::LblSignat_DblClick()
{
    QLabel *const six[] = {LblInpTCnt, LblTapCnt, LblKeyType, LblHaCode, LblTpNotDen, LblKqKey};
    const bool on = LblInpTCnt->isHidden();
    for (QLabel *testLabel : six)
        testLabel->setVisible(on);
    logic_.library().KeySetTestOn(on ? 1 : 0);
}

void FrmZon::showAbout()
{
    if (!frmAbout_)
        frmAbout_ = new FrmAbout(this);
    frmAbout_->show();
    frmAbout_->raise();
    frmAbout_->activateWindow();
}

void FrmZon::showReadMe()
{
    if (!frmReadMe_)
        frmReadMe_ = new FrmReadMe(this);
    frmReadMe_->show();
    frmReadMe_->raise();
    frmReadMe_->activateWindow();
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
    if (logic_.FastBusy) {
        logic_.CancelReq = true;
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    logic_.stopPlayback();
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

QLabel *FrmZon::label(Caption id) const
{
    switch (id) {
    case Caption::LblInputFile: return LblInputFile;
    case Caption::LblMess: return LblMess;
    case Caption::LblError: return LblError;
    case Caption::LblHaStr: return LblHaStr;
    case Caption::LblKqKey: return LblKqKey;
    case Caption::LblKeyStr: return LblKeyStr;
    case Caption::LblSignat: return LblSignat;
    case Caption::LblInpTCnt: return LblInpTCnt;
    case Caption::LblTapCnt: return LblTapCnt;
    case Caption::LblKeyType: return LblKeyType;
    case Caption::LblHaCode: return LblHaCode;
    case Caption::LblTpNotDen: return LblTpNotDen;
    case Caption::LblcTime: return LblcTime;
    case Caption::LblKType: return LblKType;
    case Caption::LblKeyTiming: return LblKeyTiming;
    case Caption::LblDllVer: return LblDllVer;
    }
    return nullptr;
}

QComboBox *FrmZon::list(ResultList id) const
{
    return id == ResultList::CmbKeyList ? CmbKeyList : CmbKeyPoint;
}

void FrmZon::setCaption(Caption id, const QString &text)
{
    QLabel *target = label(id);
    if (auto *notifying = qobject_cast<NotifyLabel *>(target)) {
        notifying->setCaption(text);
        return;
    }
    target->setText(text);
    if (id == Caption::LblInputFile)
        target->setToolTip(text);
}

QString FrmZon::caption(Caption id) const
{
    return label(id)->text();
}

void FrmZon::clearList(ResultList id)
{
    list(id)->clear();
}

void FrmZon::addToList(ResultList id, const QString &item)
{
    list(id)->addItem(item);
}

void FrmZon::selectInList(ResultList id, int index)
{
    list(id)->setCurrentIndex(index);
}

int FrmZon::listCount(ResultList id) const
{
    return list(id)->count();
}

bool FrmZon::allTracks() const
{
    return ChkAll->isChecked();
}

int FrmZon::trackPosition() const
{
    // Text typed into the edit field that names no item selects nothing.
    return CmbTrks->findText(CmbTrks->currentText());
}

bool FrmZon::moreSensitive() const
{
    return OptMoreSen->isChecked();
}

int FrmZon::meterPosition() const
{
    return CmbTimeSign->currentIndex();
}

KeyCountChoice FrmZon::keyCount() const
{
    if (OptNKey->isChecked())
        return KeyCountChoice::NotKnown;
    if (Opt1Key->isChecked())
        return KeyCountChoice::One;
    if (Opt3Key->isChecked())
        return KeyCountChoice::Three;
    if (Opt4Key->isChecked())
        return KeyCountChoice::Four;
    return KeyCountChoice::Two;
}

void FrmZon::enableStartButtons(bool enabled)
{
    CmdPlay->setEnabled(enabled);
    CmdFastDetect->setEnabled(enabled);
}

void FrmZon::setTimerEnabled(WindowTimer timer, bool enabled)
{
    QTimer *t = timer == WindowTimer::Timer1 ? Timer1 : TimerCTime;
    if (!enabled)
        t->stop();
    else if (!t->isActive()) // enabling a running timer does not restart its interval
        t->start();
}

void FrmZon::repaintNow(Caption id)
{
    label(id)->repaint();
}

void FrmZon::processPendingEvents()
{
    // Called after every fed event. Letting the window's events through costs far more
    // than feeding one (over 100 us against well under one on a desktop), so it happens
    // when 10 ms have passed since the last time: a Stop click still lands at once for the
    // user, the window repaints the progress smoothly, and 64,000 events take tens of ms.
    if (eventsLetThrough_.isValid() && eventsLetThrough_.elapsed() < 10)
        return;
    QCoreApplication::processEvents();
    eventsLetThrough_.start();
}

void FrmZon::beep()
{
    QApplication::beep();
}

} // namespace tunedeck
