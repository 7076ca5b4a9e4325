// Where a play goes and listening to a MIDI input port: the runs that meet the port system.
#include "qt/run/runner.h"

#include "core/tonalyte/tonalyteengine.h"
#include "core/playback/midisink.h"
#include "qt/playback/playlistoutput.h"
#include "qt/ports/portinput.h"
#include "qt/ports/portsink.h"
#include "qt/run/profiletracking.h"

#include <algorithm>

namespace tunedeck {

namespace {

QString notConnected(const PortEntry &entry, const char *what)
{
    return QStringLiteral("The MIDI %1 %2 is not connected")
        .arg(QLatin1String(what), QString::fromStdString(entry.port.name));
}

} // namespace

bool Runner::chooseOutput(const PortEntry *entry)
{
    if (!output_)
        return true;
    if (!entry || entry->kind == EntryKind::BuiltIn) {
        if (portSink_) {
            portSink_.reset();
            output_->setSink(nullptr); // the synthesizer again at the next open
        }
        return true;
    }
    QString error = notConnected(*entry, "output");
    if (entry->kind == EntryKind::Port) {
        if (portSink_ && portSink_->port() == entry->port && portSink_->failure().empty())
            return true;
        PortSinkStart start = openPortSink(entry->port);
        if (start.sink) {
            portSink_ = std::move(start.sink);
            output_->setSink(portSink_);
            return true;
        }
        error = QString::fromStdString(start.error);
    }
    emit notice(RunNotice::OutputError, error);
    return false;
}

void Runner::listen(const PortEntry *input, const PortEntry *output, bool thru)
{
    Timer1->stop();
    if (!input || input->kind != EntryKind::Port) {
        emit notice(RunNotice::InputRefused,
                    input && input->kind == EntryKind::Away ? notConnected(*input, "input") : QString());
        return;
    }
    play_.stop();
    play_.forgetPosition();
    forgetPlayList(); // listening has no length: the position bar keeps none
    std::shared_ptr<MidiSink> sink;
    if (thru && output_) {
        if (!chooseOutput(output))
            return;
        sink = output_->sink();
    }
    emit liveStarted();
    live_->start();
    listening_ = startLiveDetection(library_, choices().fast.moreSensitive);
    if (!listening_) {
        emit notice(RunNotice::TimerError);
        return;
    }
    input_->setThru(sink);
    if (!input_->start(input->port)) {
        input_->setThru(nullptr);
        stopLibraryClock();
        emit notice(RunNotice::InputRefused, input_->errorString());
        return;
    }
    thru_ = std::move(sink);
    listenStart_ = clock_.now();
    setState(RunState::Listening);
    TimerCTime->start();
    emit notice(RunNotice::Listening, QString::fromStdString(input->port.name));
}

void Runner::heard(const NoteEvent &note)
{
    // Timed by listening's own clock, for the profile analysis of what was heard.
    NoteEvent timed = note;
    timed.tick = std::int32_t(liveClock());
    if (!listening_)
        return;
    const TonalyteAnswer key = feedLiveNote(library_, timed);
    if (key.keyCode < 0) // refused: the display says so, as for a play
        stopLibraryClock();
    showAnswer(key, timed.tick);
    if (!listening_)
        endListening(false);
}

bool Runner::endListening(bool report)
{
    // Either half may have ended on its own: a refused note, a port gone.
    if (!input_->isListening() && !listening_)
        return false;
    input_->stop();
    input_->setThru(nullptr);
    if (thru_) {
        thru_->allOff();
        thru_.reset();
    }
    stopLibraryClock();
    tick(); // the clock where listening ended
    TimerCTime->stop();
    setState(RunState::Idle);
    if (report) {
        emit notice(RunNotice::Stopped);
        // As after a play; no track was left out.
        const AnalysisChoices c = choices();
        emit reported(play_.report(c.fast.moreSensitive, true, c.fast.keys));
    }
    live_->finish(liveClock());
    return true;
}

void Runner::stopLibraryClock()
{
    // What the library counted while listening stays for the reports.
    if (listening_)
        library_.KeyStopTimer();
    listening_ = false;
}

void Runner::portsChanged(const std::vector<MidiPort> &inputs, const std::vector<MidiPort> &outputs)
{
    input_->checkStillListed(inputs);
    // Played through to a port that has gone: listening goes on, unheard.
    if (state_ == RunState::Listening && thru_ && thru_ == portSink_
        && std::find(outputs.begin(), outputs.end(), portSink_->port()) == outputs.end())
        emit notice(RunNotice::OutputError,
                    QStringLiteral("the MIDI port %1 has gone").arg(QString::fromStdString(portSink_->port().name)));
}

} // namespace tunedeck
