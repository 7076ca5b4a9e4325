// The main window's MIDI ports: the output a play goes to, "3- Listen" to an input port with
// the live key display and the reports a play ends with, and "Export audio…".
#include "windows/frmzon.h"

#include "playback/livesession.h"
#include "playback/midisink.h"
#include "playback/playlistoutput.h"
#include "playback/renderfile.h"
#include "reports/resulttext.h"
#include "windows/portchoices.h"

#if TUNEDECK_HAVE_PORTS
#  include "ports/portinput.h"
#  include "ports/portsink.h"
#endif

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace tunedeck {

struct PortsPart : QObject {
    PortsPart(FrmZon *window, TonalyteLibrary &library, LiveKeyView &view) : QObject(window), live(library, view) {}
    ~PortsPart() override
    {
#if TUNEDECK_HAVE_PORTS
        input->stop();
#endif
        live.stop();
        if (thru)
            thru->allOff();
    }

    PortChoices *choices = nullptr;
    QAction *mnuExportAudio = nullptr; // File > Export audio…
    LiveSession live;
    std::shared_ptr<MidiSink> thru; // what listening plays through, while it lasts
#if TUNEDECK_HAVE_PORTS
    PortInput *input = nullptr;
    std::shared_ptr<PortSink> portSink; // the output port plays go to, kept while chosen
#endif
};

namespace {

const QString OutputLead = QStringLiteral("MIDI output: ");
const QString InputLead = QStringLiteral("MIDI input: ");
constexpr int MessageMs = 15000;
// Notes heard are timed in milliseconds: a quarter note at 120 beats a minute.
constexpr int LiveTicksPerQuarter = 500;

QString notConnected(const PortEntry &entry, const char *what)
{
    return QStringLiteral("The MIDI %1 %2 is not connected")
        .arg(QLatin1String(what), QString::fromStdString(entry.port.name));
}

} // namespace

PortChoices &FrmZon::portChoices() const
{
    return *ports_->choices;
}

QAction *FrmZon::exportAudioAction() const
{
    return ports_->mnuExportAudio;
}

bool FrmZon::isListening() const
{
#if TUNEDECK_HAVE_PORTS
    // Either half may have ended on its own: a refused note, a port gone.
    return ports_ && (ports_->input->isListening() || ports_->live.isRunning());
#else
    return false;
#endif
}

void FrmZon::buildPorts()
{
    ports_ = new PortsPart(this, library_, *this);
    ports_->choices = new PortChoices(central_);
    if (auto *layout = qobject_cast<QBoxLayout *>(central_->layout()))
        layout->insertWidget(layout->indexOf(mode_.box) + 1, ports_->choices->box());
    connect(mode_.CmdListen, &QPushButton::clicked, this, &FrmZon::CmdListen_Click);

    ports_->mnuExportAudio = new QAction(QStringLiteral("Export &audio…"), file_.menu);
    ports_->mnuExportAudio->setObjectName(QStringLiteral("mnuExportAudio"));
    ports_->mnuExportAudio->setStatusTip(
        QStringLiteral("Render the chosen tracks through the built-in synthesizer into a WAV file"));
    file_.menu->insertAction(file_.exportPlace, ports_->mnuExportAudio);
    connect(ports_->mnuExportAudio, &QAction::triggered, this, &FrmZon::exportAudio);

#if TUNEDECK_HAVE_PORTS
    ports_->input = new PortInput(ports_);
    connect(ports_->input, &PortInput::noteReceived, this, [this](const NoteEvent &note) {
        // Timed in the library's milliseconds, for the second analysis of what was played.
        NoteEvent timed = note;
        timed.tick = std::int32_t(session_.clock());
        ports_->live.heard(timed);
        if (!ports_->live.isRunning()) // refused: the display says so, as for a play
            endListening(false);
    });
    connect(ports_->input, &PortInput::error, this, [this](const QString &message) {
        endListening(true);
        info_.LblError->setText(message);
        statusBar()->showMessage(InputLead + message, MessageMs);
    });
    connect(ports_->choices, &PortChoices::portsChanged, this, [this] {
        ports_->input->checkStillListed(ports_->choices->inputs().ports);
        // Played through to a port that has gone: listening goes on, unheard.
        const std::vector<MidiPort> &outputs = ports_->choices->outputs().ports;
        if (isListening() && ports_->thru && ports_->thru == ports_->portSink
            && std::find(outputs.begin(), outputs.end(), ports_->portSink->port()) == outputs.end()) {
            const QString port = QString::fromStdString(ports_->portSink->port().name);
            MIDIOutput1_Error();
            statusBar()->showMessage(OutputLead + QStringLiteral("the MIDI port %1 has gone").arg(port), MessageMs);
        }
    });
#endif
}

bool FrmZon::applyOutputChoice()
{
    if (!output_)
        return true;
    const PortEntry *entry = ports_->choices->output();
    if (!entry || entry->kind == EntryKind::BuiltIn) {
#if TUNEDECK_HAVE_PORTS
        if (ports_->portSink) {
            ports_->portSink.reset();
            output_->setSink(nullptr); // the synthesizer again at the next open
        }
#endif
        return true;
    }
    QString error = notConnected(*entry, "output");
#if TUNEDECK_HAVE_PORTS
    if (entry->kind == EntryKind::Port) {
        if (ports_->portSink && ports_->portSink->port() == entry->port && ports_->portSink->failure().empty())
            return true;
        PortSinkStart start = openPortSink(entry->port);
        if (start.sink) {
            ports_->portSink = std::move(start.sink);
            output_->setSink(ports_->portSink);
            return true;
        }
        error = QString::fromStdString(start.error);
    }
#endif
    MIDIOutput1_Error();
    statusBar()->showMessage(OutputLead + error, MessageMs);
    return false;
}

void FrmZon::CmdListen_Click()
{
    Timer1->stop();
    const PortEntry *entry = ports_->choices->input();
#if TUNEDECK_HAVE_PORTS
    if (!entry || entry->kind != EntryKind::Port) {
        info_.LblError->setText(entry && entry->kind == EntryKind::Away ? notConnected(*entry, "input")
                                                                        : ports_->choices->inputText());
        return;
    }
    stopPlayback();
    std::shared_ptr<MidiSink> thru;
    if (ports_->choices->thru() && output_) {
        if (!applyOutputChoice())
            return;
        thru = output_->sink();
    }
    resetResultDisplay();
    results_.LblKeyTiming->setText(text::PlayTiming);
    startLiveAnalysis(LiveTicksPerQuarter);
    if (!ports_->live.start(moreSensitive())) {
        info_.LblMess->setText(text::TimerError);
        return;
    }
    ports_->input->setThru(thru);
    if (!ports_->input->start(entry->port)) {
        ports_->input->setThru(nullptr);
        ports_->live.stop();
        info_.LblError->setText(ports_->input->errorString());
        return;
    }
    ports_->thru = std::move(thru);
    enableStartButtons(false);
    TimerCTime->start();
    info_.LblMess->setText(QStringLiteral("Listening to %1 ...").arg(QString::fromStdString(entry->port.name)));
    info_.LblError->clear();
#else
    Q_UNUSED(entry);
    info_.LblError->setText(ports_->choices->inputText());
#endif
}

bool FrmZon::endListening(bool report)
{
    if (!isListening())
        return false;
#if TUNEDECK_HAVE_PORTS
    ports_->input->stop();
    ports_->input->setThru(nullptr);
#endif
    if (ports_->thru) {
        ports_->thru->allOff();
        ports_->thru.reset();
    }
    ports_->live.stop();
    TimerCTime_Timer(); // the clock where listening ended
    TimerCTime->stop();
    enableStartButtons(true);
    if (report) {
        info_.LblMess->setText(text::Stopped);
        // As after a play; no track was left out.
        showReports(session_.report(moreSensitive(), true, keyCount()));
    }
    endLiveAnalysis();
    return true;
}

void FrmZon::exportAudio()
{
    // The fast run and listening hold the library and the file.
    if (fastBusy_ || isListening() || !openMidiFile())
        return;
    const QFileInfo source(midiFilePath_);
    const QString suggested = source.dir().filePath(source.completeBaseName() + QStringLiteral(".wav"));
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Audio"), suggested,
                                                QStringLiteral("WAV audio (*.wav *.WAV);;All files (*)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".wav");

    QProgressDialog progress(QStringLiteral("Rendering %1 ...").arg(QFileInfo(path).fileName()),
                             QStringLiteral("Cancel"), 0, 1000, this);
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.setWindowTitle(QStringLiteral("Export Audio"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    const QString soundFont = output_ ? output_->soundOptions().soundFont : QString();
    const RenderResult result = renderFile(openFile_, trackChoice(), soundFont, path, [&progress](double done) {
        progress.setValue(int(done * 1000));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.reset();
    if (result.ok) {
        statusBar()->showMessage(QStringLiteral("Audio exported to ") + QDir::toNativeSeparators(path), MessageMs);
    } else {
        info_.LblError->setText(result.error);
        statusBar()->showMessage(QStringLiteral("Export audio: ") + result.error, MessageMs);
    }
}

} // namespace tunedeck
