// The main window as a desktop program: the File menu with its recent files, format 0 option
// and audio export, the keyboard shortcuts, files dropped on the window, the remembered
// choices, and the status bar's detail on a refused file.
#include "qt/windows/frmzon.h"

#include "core/fastdetect/meter.h"
#include "core/romantext/romantext.h"
#include "qt/playback/playlistoutput.h"
#include "qt/run/audioexport.h"
#include "qt/windows/exportdialogs.h"
#include "qt/windows/mixpanel.h"
#include "qt/windows/pianorollpanel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>

namespace tunedeck {

namespace {

// Raised when the docks change so much that an older saved layout would misplace them.
constexpr int DockLayoutVersion = 1;

// The first dropped local file (folders are passed over); empty when there is none.
QString droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isDir())
            return url.toLocalFile();
    }
    return {};
}

// The tool tip with the shortcut that presses the button: the captions themselves stay as
// they are, so they carry no mnemonic.
void addShortcutToTip(QWidget *button, const QString &keys)
{
    button->setToolTip(QStringLiteral("%1 (%2)").arg(button->toolTip(), keys));
}

QString keyText(const QKeySequence &keys)
{
    return keys.toString(QKeySequence::NativeText);
}

} // namespace

void FrmZon::wireDesktop()
{
    connect(file_.mnuOpen, &QAction::triggered, this, &FrmZon::CmdBrow_Click);
    connect(file_.mnuQuit, &QAction::triggered, this, &QWidget::close);
    connect(file_.mnuReadFormat0, &QAction::toggled, this, [this](bool on) { runner_->file().setSplitFormat0(on); });
    connect(file_.mnuPlayRepeats, &QAction::toggled, this, [this](bool on) { runner_->file().setScoreOptions({on}); });
    connect(file_.mnuRecent, &QMenu::aboutToShow, this, &FrmZon::refreshRecentMenu);
    connect(runner_, &Runner::fastFinished, this, [this](const FileAnalysis &analysis) {
        lastFast_ = std::make_shared<const FileAnalysis>(analysis);
        lastFastPath_ = midiFilePath_;
        lastFastChoices_ = runChoices();
    });
    connect(file_.mnuExportScore, &QAction::triggered, this, [this] {
        exportScoreWithAnalysis(this, lastFast_.get(), lastFastPath_, lastFastChoices_, statusBar());
    });
    // Made as the run ends, so that the export writes what the window shows.
    connect(runner_, &Runner::fastFinished, this, [this](const FileAnalysis &analysis) {
        romanText_ = analysis.refusal ? std::string() : romantext::romanText(analysis, QFileInfo(runner_->path()).completeBaseName().toStdString());
    });
    connect(runner_, &Runner::opened, this, [this] { romanText_.clear(); });
    connect(file_.mnuExportRomanText, &QAction::triggered, this,
            [this] { exportRomanText(this, romanText_, QFileInfo(runner_->path()).completeBaseName(), statusBar()); });
    refreshRecentMenu();

    const QKeySequence space(Qt::Key_Space), fast(Qt::Key_F5), stop(Qt::Key_Escape);
    // click() does nothing on a disabled button, as during a fast detection.
    // In a play Space pauses and goes on; Stop and Escape end it.
    connect(new QShortcut(space, this), &QShortcut::activated, this, [this] {
        if (runner_->state() == RunState::Playing)
            runner_->pause();
        else if (runner_->state() == RunState::Paused)
            runner_->resume();
        else
            (runner_->busy() ? mode_.CmdStop : mode_.CmdPlay)->click();
    });
    connect(new QShortcut(fast, this), &QShortcut::activated, mode_.CmdFastDetect, &QPushButton::click);
    // Escape stops what runs; with nothing running it leaves the labels alone.
    connect(new QShortcut(stop, this), &QShortcut::activated, this, [this] {
        if (runner_->busy())
            mode_.CmdStop->click();
    });
    addShortcutToTip(input_.CmdBrow, keyText(QKeySequence::Open));
    addShortcutToTip(mode_.CmdPlay, keyText(space));
    addShortcutToTip(mode_.CmdFastDetect, keyText(fast));
    addShortcutToTip(mode_.CmdStop,
                     QStringLiteral("%1, or %2 while detecting or listening").arg(keyText(stop), keyText(space)));
}

bool FrmZon::event(QEvent *event)
{
    // Space toggles a focused check box or option button rather than playing; text fields
    // keep it by themselves.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const auto *button = qobject_cast<QAbstractButton *>(focusWidget());
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier && button && button->isCheckable()) {
            event->accept();
            return true;
        }
    }
    return QMainWindow::event(event);
}

void FrmZon::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FrmZon::dropEvent(QDropEvent *event)
{
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    selectMidiFile(file);
}

void FrmZon::refreshRecentMenu()
{
    RecentMenuHandlers handlers;
    handlers.open = [this](const QString &path) { selectMidiFile(path); };
    handlers.removeMissing = [this] {
        recent_.removeMissing();
        refreshRecentMenu();
    };
    handlers.clear = [this] {
        recent_.clear();
        refreshRecentMenu();
    };
    fillRecentMenu(file_.mnuRecent, recent_.entries(), handlers);
}

WindowChoices FrmZon::choices() const
{
    WindowChoices c;
    c.allTracks = input_.ChkAll->isChecked();
    if (input_.CmbTrks->currentIndex() >= 0)
        c.track = input_.CmbTrks->currentIndex();
    const AnalysisChoices run = runChoices();
    c.moreSensitive = run.fast.moreSensitive;
    c.meter = input_.CmbTimeSign->currentIndex();
    c.musicBars = run.bars == BarChoice::Music;
    c.keyCount = run.fast.keys;
    c.splitFormat0 = file_.mnuReadFormat0->isChecked();
    c.playRepeats = file_.mnuPlayRepeats->isChecked();
    if (!lastBrowsed_.isEmpty()) {
        const QFileInfo last(lastBrowsed_);
        c.lastFolder = last.isDir() ? last.absoluteFilePath() : last.absolutePath();
    }
    c.recentFiles = recent_.paths();
    c.geometry = saveGeometry();
    c.docks = saveState(DockLayoutVersion);
    const PlayAdjust adjust = mix_->adjust();
    c.tempoPercent = adjust.tempoPercent;
    c.transpose = adjust.transpose;
    c.volume = mix_->volume();
    c.mutedChannels = mix_->muted();
    c.soloChannels = mix_->soloed();
    c.notation = mix_->notation();
    c.romanNumerals = pianoRoll_->romanNumerals()->isChecked();
    c.normaliseAudio = normaliseAudio_;
    return c;
}

void FrmZon::applyChoices(const WindowChoices &c)
{
    if (c.allTracks)
        input_.ChkAll->setChecked(*c.allTracks);
    if (c.track && *c.track >= 0 && *c.track < input_.CmbTrks->count())
        input_.CmbTrks->setCurrentIndex(*c.track);
    if (c.moreSensitive)
        (*c.moreSensitive ? mode_.OptMoreSen : mode_.OptLessSen)->setChecked(true);
    if (c.meter)
        input_.CmbTimeSign->setCurrentIndex(meterIndex(*c.meter));
    if (c.musicBars)
        input_.CmbBars->setCurrentIndex(*c.musicBars ? 0 : 1);
    if (c.keyCount)
        results_.keyCount[std::size_t(*c.keyCount)]->setChecked(true);
    if (c.splitFormat0)
        file_.mnuReadFormat0->setChecked(*c.splitFormat0);
    if (c.playRepeats)
        file_.mnuPlayRepeats->setChecked(*c.playRepeats);
    if (!c.lastFolder.isEmpty() && QFileInfo(c.lastFolder).isDir())
        lastBrowsed_ = c.lastFolder;
    recent_.setPaths(c.recentFiles);
    refreshRecentMenu();
    if (!c.geometry.isEmpty())
        restoreGeometry(c.geometry);
    // A layout of another version or a damaged one is refused and the default stays.
    if (!c.docks.isEmpty())
        restoreState(c.docks, DockLayoutVersion);
    PlayAdjust adjust = mix_->adjust();
    adjust.tempoPercent = c.tempoPercent.value_or(adjust.tempoPercent);
    adjust.transpose = c.transpose.value_or(adjust.transpose);
    mix_->setAdjust(adjust);
    if (c.volume)
        mix_->setVolume(*c.volume);
    mix_->setMuteSolo(c.mutedChannels.value_or(mix_->muted()), c.soloChannels.value_or(mix_->soloed()));
    if (c.notation)
        mix_->setNotation(*c.notation);
    if (c.romanNumerals)
        pianoRoll_->romanNumerals()->setChecked(*c.romanNumerals);
    normaliseAudio_ = c.normaliseAudio.value_or(normaliseAudio_);
}

void FrmZon::exportAudio()
{
    const std::optional<std::int64_t> length = audio_->length(midiFilePath_);
    if (!length)
        return;
    const std::optional<AudioTarget> target = askAudioTarget(this, *length, midiFilePath_, normaliseAudio_);
    if (!target)
        return;
    normaliseAudio_ = target->normalise;
    if (audio_->start(target->path, target->maxMs, target->normalise))
        followExport(this, *audio_, target->path, statusBar(), info_.LblError);
}

} // namespace tunedeck
