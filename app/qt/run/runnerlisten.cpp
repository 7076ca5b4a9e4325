// Listening to a MIDI input port: the run whose notes come from the port routing.
#include "qt/run/runner.h"

#include "core/tonalyte/tonalyteengine.h"
#include "qt/run/portrouting.h"
#include "qt/run/profiletracking.h"

namespace tunedeck {

void Runner::listen(const PortEntry *input, const PortEntry *output, bool thru)
{
    Timer1->stop();
    if (const std::optional<QString> refusal = inputRefusal(input)) {
        emit notice(RunNotice::InputRefused, *refusal);
        return;
    }
    play_.stop();
    play_.forgetPosition();
    forgetPlayList(); // listening has no length: the position bar keeps none
    std::optional<std::shared_ptr<MidiSink>> sink = ports_.thruSink(output, thru);
    if (!sink)
        return;
    emit liveStarted();
    live_->start();
    heardNoteZero_ = 0;
    listening_ = startLiveDetection(library_, choices().fast.moreSensitive);
    if (!listening_) {
        emit notice(RunNotice::TimerError);
        return;
    }
    if (!ports_.openInput(input->port, std::move(*sink))) {
        stopLibraryClock();
        emit notice(RunNotice::InputRefused, ports_.inputProblem());
        return;
    }
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
    // The library would refuse it and end listening: it goes unfed, and unanalysed alike.
    if (!libraryTakesNote(note.note)) {
        heardNoteZero_ += note.on ? 1 : 0;
        if (note.on)
            emit notesLeftOut(0, heardNoteZero_);
        return;
    }
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
    if (!ports_.inputOpen() && !listening_)
        return false;
    ports_.closeInput();
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

} // namespace tunedeck
