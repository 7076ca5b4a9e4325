#include "qt/windows/frmzon.h"

#include "qt/binding/tonalytelibrary.h"
#include "qt/keymap/keymapwidget.h"
#include "core/fastdetect/meter.h"
#include "qt/playback/playlistoutput.h"
#include "qt/base/qttext.h"
#include "core/reports/resulttext.h"
#include "qt/run/audioexport.h"
#include "qt/run/portrouting.h"
#include "qt/windows/exportdialogs.h"
#include "qt/windows/notifylabel.h"
#include "qt/windows/pianorollpanel.h"
#include "qt/windows/mixpanel.h"
#include "qt/windows/portchoices.h"
#include "qt/windows/wheelguard.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
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
#include <QStyle>
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

FrmZon::FrmZon(TonalyteEngine &library, PlayListOutput *output, RunClock &clock, QWidget *parent)
    : QMainWindow(parent), library_(library)
{
    setObjectName(QStringLiteral("FrmZon"));
    setWindowTitle(QStringLiteral("Tunedeck"));
    routing_ = new PortRouting(output, this);
    runner_ = new Runner(library, output, *routing_, clock, this);
    audio_ = new AudioExport(*runner_, this);
    buildWindow();
    wire();
    if (output) {
        connect(output, &PlayListOutput::soundUnavailable, this, &FrmZon::showSoundOff);
        if (!output->soundOffReason().isEmpty())
            showSoundOff(output->soundOffReason());
    }

    const QScreen *s = screen();
    fitTo(s ? s->availableGeometry().size() : QSize(1 << 16, 1 << 16));
}

void FrmZon::fitTo(const QSize &available)
{
    // Everything in view where the screen allows; the scroll area takes over where not.
    const int chrome = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    const QSize room = available * 0.95;
    const int separator = style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
    // The results and the processing info side by side where the docks keep their least room.
    const int docksLeast = std::max(pianoRollDock_->minimumSizeHint().width(), mixDock_->minimumSizeHint().width());
    resultsRow_->fit(room.width() - separator - docksLeast);
    const QSize controls = central_->sizeHint();
    // Controls too tall for the screen scroll: their scroll bar comes beside them, not over them.
    // Side by side, the pane keeps that room either way.
    const int bar = controls.height() + chrome > room.height() ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    const int pane = std::max(controls.width() + bar, resultsRow_->sideBySide() ? resultsRow_->sideBySideWidth() : 0);
    // The docks share a column as wide as the wider of them wants, beyond their separator.
    const int docks = std::max(pianoRollDock_->sizeHint().width(), mixDock_->sizeHint().width());
    const QSize wanted = QSize(pane + separator + docks, controls.height() + chrome).boundedTo(room);
    resize(wanted);
    // The controls keep their own width, the docks take the rest; the roll keeps most of the
    // height, and the mix's channel list scrolls.
    resizeDocks({pianoRollDock_}, {std::max(wanted.width() - pane - separator, 0)}, Qt::Horizontal);
    resizeDocks({pianoRollDock_, mixDock_}, {wanted.height() * 2 / 3, wanted.height() / 3}, Qt::Vertical);
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
    file_ = buildFileMenu(menuBar());
    setAcceptDrops(true);
    input_ = buildInputSection(central);
    mode_ = buildModeSection(central);
    ports_ = new PortChoices(central);
    results_ = buildResultsSection(central);
    info_ = buildInfoSection(central);

    auto *layout = new QVBoxLayout(central);
    // At least this wide, and never narrower than a section's controls side by side.
    layout->addStrut(QFontMetrics(font()).averageCharWidth() * 84);
    for (QGroupBox *section : {input_.box, mode_.box, ports_->box()})
        layout->addWidget(section);
    auto *resultsRow = new QBoxLayout(QBoxLayout::TopToBottom);
    resultsRow->addWidget(results_.box, 1);
    resultsRow->addWidget(info_.box, 1);
    layout->addLayout(resultsRow);
    // Below every control of the window: the key map, growing with the window.
    keyMap_ = new KeyMapWidget(central);
    keyMap_->setObjectName(QStringLiteral("KeyMap"));
    layout->addWidget(keyMap_, 1);
    scroll->setWidget(central);
    setCentralWidget(scroll);
    resultsRow_ = new ResultsRow(resultsRow, scroll);
    // The docks give way before the controls scroll sideways.
    scroll->setMinimumWidth(central->minimumSizeHint().width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    // Scrolling the page never turns a drop-down it passes over.
    guardWheel(central);

    soundOffLabel = new QLabel(statusBar());
    soundOffLabel->setObjectName(QStringLiteral("soundOffLabel"));
    soundOffLabel->hide();
    statusBar()->addWidget(soundOffLabel, 1);
    mixStatus_ = new QLabel(statusBar());
    mixStatus_->setObjectName(QStringLiteral("MixStatus"));
    mixStatus_->hide();
    statusBar()->addPermanentWidget(mixStatus_);

    view_ = new RunView(results_, info_, keyMap_, statusBar(), this);
    view_->follow(*runner_);
    view_->setNoInputText([this] { return ports_->inputText(); });

    // The piano roll and the keys' bars in a dock beside the controls, which it leaves as
    // they are; after the view, so the key map already holds a run's keys when it reads them.
    pianoRollDock_ = new QDockWidget(tr("Piano roll"), this);
    pianoRollDock_->setObjectName(QStringLiteral("PianoRollDock"));
    pianoRollDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    pianoRoll_ = new PianoRollPanel(*keyMap_, pianoRollDock_);
    pianoRoll_->follow(*runner_, [this] { return runChoices(); });
    pianoRollDock_->setWidget(pianoRoll_);
    addDockWidget(Qt::RightDockWidgetArea, pianoRollDock_);

    // The mix under the roll, scrolling on a small screen as the controls do.
    mixDock_ = new QDockWidget(tr("Mix"), this);
    mixDock_->setObjectName(QStringLiteral("MixDock"));
    mixDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto *mixScroll = new QScrollArea(mixDock_);
    mixScroll->setWidgetResizable(true);
    mixScroll->setFrameShape(QFrame::NoFrame);
    mix_ = new MixPanel(mixScroll);
    mixScroll->setWidget(mix_);
    mixDock_->setWidget(mixScroll);
    addDockWidget(Qt::RightDockWidgetArea, mixDock_);
    guardWheel(mix_);
    buildChordDock();
}

void FrmZon::wire()
{
    runner_->setChoices([this] { return runChoices(); });
    connect(runner_, &Runner::stateChanged, this, &FrmZon::updateState);
    connect(menu_.mnuAbout, &QAction::triggered, this, &FrmZon::showAbout);
    connect(menu_.mnuReadMe, &QAction::triggered, this, &FrmZon::showReadMe);
    connect(keyMap_, &KeyMapWidget::hoverTextChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            statusBar()->showMessage(text, 4000);
    });
    connect(input_.CmdBrow, &QPushButton::clicked, this, &FrmZon::CmdBrow_Click);
    connect(input_.ChkAll, &QCheckBox::toggled, input_.CmbTrks, [this](bool all) { input_.CmbTrks->setEnabled(!all); });
    connect(mode_.CmdPlay, &QPushButton::clicked, this, [this] { runner_->play(midiFilePath_, ports_->output()); });
    connect(mode_.CmdFastDetect, &QPushButton::clicked, this, &FrmZon::CmdFastDetect_Click);
    connect(mode_.CmdListen, &QPushButton::clicked, this,
            [this] { runner_->listen(ports_->input(), ports_->output(), ports_->thru()); });
    connect(mode_.CmdStop, &QPushButton::clicked, runner_, &Runner::stop);
    connect(mix_, &MixPanel::volumeChanged, runner_, &Runner::setVolume);
    connect(mix_, &MixPanel::notationChanged, this, [this](Notation notation) {
        view_->setNotation(notation);
        pianoRoll_->setNotation(notation);
    });
    connect(runner_, &Runner::opened, this, [this](const OpenResult &result) {
        if (result)
            mix_->showChannels(channelUses(runner_->file().midi()));
    });
    connect(results_.LblSignat, &NotifyLabel::doubleClicked, this, &FrmZon::LblSignat_DblClick);
    connect(ports_, &PortChoices::portsChanged, this, [this] {
        routing_->portsChanged(ports_->inputs().ports, ports_->outputs().ports);
        showUnlistedInputs();
    });
    showUnlistedInputs();
    connect(file_.mnuSaveKeyMap, &QAction::triggered, this, [this] { exportKeyMap(this, *keyMap_, statusBar()); });
    connect(file_.mnuExportAudio, &QAction::triggered, this, &FrmZon::exportAudio);
    wireDesktop();
}

void FrmZon::updateState(RunState state)
{
    for (QPushButton *start : {mode_.CmdPlay, mode_.CmdFastDetect, mode_.CmdListen})
        start->setEnabled(mayStart(state));
    file_.mnuExportAudio->setEnabled(mayStart(state));
    // A run reads the mix as it starts (a play always from Idle); listening hears every channel.
    if (state == RunState::FastDetecting || (state == RunState::Playing && lastState_ == RunState::Idle))
        showMixNote(mix_->channelsNote());
    else if (state == RunState::Listening)
        showMixNote({});
    lastState_ = state;
}

void FrmZon::showUnlistedInputs()
{
    const PortListing &inputs = ports_->inputs();
    if (inputs.ports.empty() && !inputs.reason.empty())
        statusBar()->showMessage(QStringLiteral("No MIDI input ports: ") + QString::fromStdString(inputs.reason), 15000);
}

void FrmZon::showMixNote(const QString &note)
{
    info_.LblMix->setText(note);
    mixStatus_->setText(note);
    mixStatus_->setVisible(!note.isEmpty());
}

bool FrmZon::Form_Initialize(bool messageBox)
{
    input_.CmbTrks->clear();
    for (int i = 1; i <= 12; ++i)
        input_.CmbTrks->addItem(QStringLiteral("Track %1").arg(i, 2, 10, QLatin1Char('0')));
    input_.CmbTrks->setCurrentIndex(0);

    const std::optional<std::int32_t> version = library_.version();
    if (!version) {
        const QString message = versionMessage();
        printError(message);
        if (!library_.problem().isEmpty())
            printError(library_.problem());
        if (messageBox) {
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Tunedeck"), message, QMessageBox::Ok);
            box.setObjectName(QStringLiteral("VersionMessage"));
            box.exec();
        }
        return false;
    }
    info_.LblDllVer->setText(qtext(text::libraryVersion(*version)));

    input_.CmbTimeSign->setCurrentIndex(DefaultMeter);
    if (!frmHaStr_) {
        frmHaStr_ = new FrmHaStr(this);
        connect(frmHaStr_, &FrmHaStr::mainHaStrChanged, info_.LblHaStr, &QLabel::setText);
        view_->setChordWindow(frmHaStr_);
    }
    return true;
}

void FrmZon::selectMidiFile(const QString &path)
{
    lastBrowsed_ = QFileInfo(path).absoluteFilePath();
    midiFilePath_ = lastBrowsed_;
    input_.LblInputFile->setText(midiFilePath_);
    input_.LblInputFile->setToolTip(midiFilePath_);
    // The length of the last play belongs to the file before, unless it still plays.
    runner_->forgetPlay();
    // Checked at once, without disturbing a run in progress.
    const CheckedFile checked = runner_->checkFile(midiFilePath_);
    view_->showChosenFile(midiFilePath_, checked.file, checked.result);
    if (checked.result) {
        mix_->showChannels(channelUses(checked.file.midi()));
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
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Open MIDI File"), start, openFileFilter());
    // A cancel keeps the previous choice.
    if (chosen.isEmpty())
        return;
    selectMidiFile(chosen);
}

void FrmZon::CmdFastDetect_Click()
{
    runner_->fastDetect(midiFilePath_);
    // A close asked for during the run was held back until the run returned.
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        close();
    }
}

void FrmZon::LblSignat_DblClick()
{
    const bool on = info_.LblInpTCnt->isHidden();
    for (QLabel *testLabel : info_.testLabels())
        testLabel->setVisible(on);
    library_.setTestLog(on);
}

AnalysisChoices FrmZon::runChoices() const
{
    AnalysisChoices c;
    // Text typed into the edit field that names no item selects nothing.
    c.fast.tracks = {input_.ChkAll->isChecked(), input_.CmbTrks->findText(input_.CmbTrks->currentText())};
    c.fast.moreSensitive = mode_.OptMoreSen->isChecked();
    c.fast.meter = input_.CmbTimeSign->currentIndex();
    c.bars = input_.CmbBars->currentIndex() == 1 ? BarChoice::Meter : BarChoice::Music;
    for (std::size_t i = 0; i < results_.keyCount.size(); ++i)
        if (results_.keyCount[i]->isChecked())
            c.fast.keys = KeyCounts[i].choice;
    c.fast.adjust = mix_->adjust();
    c.fast.channels = mix_->channels();
    c.splitFormat0 = file_.mnuReadFormat0->isChecked();
    c.unfoldRepeats = file_.mnuPlayRepeats->isChecked();
    c.notation = mix_->notation();
    return c;
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
    if (!runner_->shutDown()) {
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    audio_->cancel();
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
