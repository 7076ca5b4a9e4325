#include "qt/run/runner.h"

#include "core/reports/runreports.h"
#include "core/tonalyte/tonalyteengine.h"
#include "qt/playback/playlistoutput.h"
#include "qt/run/portrouting.h"
#include "qt/run/profiletracking.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

namespace tunedeck {

namespace {

// Enabling a running timer does not restart its interval.
void enableTimer(RunTimer *timer, bool enabled)
{
    if (!enabled)
        timer->stop();
    else if (!timer->isActive())
        timer->start();
}

} // namespace

Runner::Runner(TonalyteEngine &library, PlayListOutput *output, PortRouting &ports, RunClock &clock,
               QObject *parent)
    : QObject(parent), library_(library), output_(output), ports_(ports), clock_(clock),
      play_(library, output, *this)
{
    live_ = new ProfileTracking(this);
    Timer1 = clock_.timer(QStringLiteral("Timer1"), 1500, this);
    TimerCTime = clock_.timer(QStringLiteral("TimerCTime"), 1000, this);
    connect(Timer1, &RunTimer::timeout, this, &Runner::playEnded);
    connect(TimerCTime, &RunTimer::timeout, this, &Runner::tick);

    connect(&ports_, &PortRouting::heard, this, &Runner::heard);
    connect(&ports_, &PortRouting::inputFailed, this, [this](const QString &message) {
        endListening(true);
        emit notice(RunNotice::InputError, message);
    });
    connect(&ports_, &PortRouting::outputFailed, this,
            [this](const QString &message) { emit notice(RunNotice::OutputError, message); });

    if (!output_)
        return;
    connect(output_, &PlayListOutput::playedEvent, this, [this](qint32 tag) { play_.played(tag); });
    connect(output_, &PlayListOutput::endOfData, this, &Runner::endOfData);
    connect(output_, &PlayListOutput::error, this, [this](const QString &message) {
        if (state_ == RunState::Playing)
            setState(RunState::Idle);
        emit notice(RunNotice::OutputError, message);
    });
}

Runner::~Runner()
{
    // The routing may be gone already: it closes its input and silences what it played
    // through itself.
    stopLibraryClock();
}

bool Runner::busy() const
{
    return state_ == RunState::FastDetecting || state_ == RunState::Playing || state_ == RunState::Paused
           || state_ == RunState::Listening;
}

void Runner::setState(RunState state)
{
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}

AnalysisChoices Runner::choices() const
{
    return choices_ ? choices_() : AnalysisChoices{};
}

bool Runner::open(const QString &path)
{
    path_ = path;
    const OpenResult result = file_.open(QFile::encodeName(path).toStdString());
    emit opened(result);
    return bool(result);
}

CheckedFile Runner::checkFile(const QString &path) const
{
    CheckedFile checked;
    checked.file.setSplitFormat0(file_.splitsFormat0());
    checked.file.setScoreOptions(file_.scoreOptions());
    checked.result = checked.file.open(QFile::encodeName(path).toStdString());
    return checked;
}

std::uint32_t Runner::clock() const
{
    return play_.clock();
}

std::int64_t Runner::liveClock() const
{
    // Listening times what it hears by its own clock, a play by the library's.
    if (!listenStart_)
        return clock();
    return clock_.now() - *listenStart_;
}

QString Runner::soundFont() const
{
    return output_ ? output_->soundOptions().soundFont : QString();
}

void Runner::setVolume(int percent)
{
    if (output_)
        output_->setVolume(percent);
}

void Runner::play(const QString &path, const PortEntry *output)
{
    enableTimer(Timer1, false);
    enableTimer(TimerCTime, true);
    if (!open(path) || !ports_.chooseOutput(output))
        return;
    play_.prepare();
    setState(RunState::Idle);
    emit notice(RunNotice::Loading);
    const AnalysisChoices c = choices();
    const bool composed = play_.compose(file_, c.fast.tracks, c.fast.adjust, c.fast.channels);
    emit playLengthChanged(play_.length());
    if (!composed) {
        emit notice(RunNotice::TrackNotFound);
        return;
    }
    if (play_.leftOut() > 0 || play_.noteZeroLeftOut() > 0)
        emit notesLeftOut(play_.leftOut(), play_.noteZeroLeftOut());
    // The file is known before it sounds: what the play shows of the profile analysis.
    playKeys_ = PlayKeys::of(file_, c.fast, {}, false, c.bars == BarChoice::Music);
    emit liveStarted();
    listenStart_.reset();
    live_->start(playKeys_ ? &*playKeys_ : nullptr);
    if (!play_.start(c.fast.moreSensitive)) {
        emit notice(RunNotice::TimerError);
        return;
    }
    setState(RunState::Playing);
    emit notice(RunNotice::Playing);
}

void Runner::showAnswer(const TonalyteAnswer &key, std::int64_t ms)
{
    // A refused note has ended the play or the listening.
    if (key.keyCode < 0 && state_ == RunState::Playing)
        setState(RunState::Idle);
    emit answered(key);
    if (key.keyCode >= 0)
        live_->record(key, ms);
}

void Runner::endOfData()
{
    emit notice(RunNotice::EndOfData);
    enableTimer(Timer1, true);
    setState(RunState::Stopping);
}

void Runner::playEnded()
{
    enableTimer(Timer1, false);
    play_.stop();
    const AnalysisChoices c = choices();
    emit reported(play_.report(c.fast.moreSensitive, c.fast.tracks.all, c.fast.keys));
    live_->finish(liveClock());
    setState(RunState::Idle);
}

void Runner::tick()
{
    emit clockTicked(clock());
    showStanding();
    // A play's seconds are read once the notes sent before them are in, however late the
    // window's queue hands them over.
    live_->update(listenStart_ ? liveClock() : play_.fedUpTo());
}

void Runner::showStanding()
{
    // After a Stop the clock still ticks; the last standing stays.
    if (state_ == RunState::Idle || state_ == RunState::FastDetecting)
        return;
    // Listening's reports count every track, as after it.
    const AnalysisChoices c = choices();
    emit standing(readOverallReport(library_, c.fast.moreSensitive, state_ == RunState::Listening || c.fast.tracks.all));
}

void Runner::forgetPlayList()
{
    play_.forgetList();
    emit playLengthChanged(0);
}

void Runner::forgetPlay()
{
    if (state_ == RunState::Idle)
        forgetPlayList();
}

bool Runner::keepGoing(const FeedProgress &progress)
{
    // Letting the window's events through costs far more than feeding one event (over
    // 100 us against well under one), so it happens when 10 ms have passed since the last
    // time: a Stop click still lands at once, the progress repaints smoothly, and 64,000
    // events take tens of ms.
    if (!eventsLetThrough_.isValid() || eventsLetThrough_.elapsed() >= 10) {
        emit this->progress(progress);
        QCoreApplication::processEvents();
        eventsLetThrough_.start();
    }
    return !cancelRequested_;
}

void Runner::fastDetect(const QString &path)
{
    eventsLetThrough_.invalidate();
    enableTimer(Timer1, false);
    enableTimer(TimerCTime, false);
    if (!open(path)) {
        // Nothing of the previous file stays on show.
        FileAnalysis refused;
        refused.refusal = OpenFailure{};
        refused.run.outcome = FastOutcome::FileRefused;
        emit fastFinished(refused);
        return;
    }
    play_.stop();
    forgetPlayList();
    setState(RunState::FastDetecting);
    emit notice(RunNotice::Loading);
    cancelRequested_ = false;

    AnalysisChoices run = choices();
    run.splitFormat0 = file_.splitsFormat0();
    AnalysisHooks hooks;
    hooks.run.gathered = [this](const FastDetection &run) { emit gathered(run); };
    hooks.run.feeding = [this](int events) { emit feeding(events); };
    hooks.run.keepGoing = [this](const FeedProgress &progress) { return keepGoing(progress); };
    // The choices in force when the run ends, as the reports have always read them.
    hooks.reportChoices = [this] {
        const AnalysisChoices now = choices();
        return ReportChoices{now.fast.moreSensitive, now.fast.tracks.all, now.fast.keys};
    };
    const FileAnalysis analysis = analyseFile(library_, file_, run, hooks);
    if (analysis.run.leftOut > 0 || analysis.run.noteZeroLeftOut > 0)
        emit notesLeftOut(analysis.run.leftOut, analysis.run.noteZeroLeftOut);
    cancelRequested_ = false;
    setState(RunState::Idle);
    emit fastFinished(analysis);
}

void Runner::stop()
{
    if (endListening(true))
        return;
    play_.stop();
    if (state_ == RunState::FastDetecting) {
        cancelRequested_ = true;
        return;
    }
    if (state_ == RunState::Playing || state_ == RunState::Paused)
        setState(RunState::Idle);
    emit notice(RunNotice::Stopped);
}

bool Runner::shutDown()
{
    // Closing from inside the fast run's event processing would pull the window from
    // under the running loop: the run is cancelled and closing waits for it.
    if (state_ == RunState::FastDetecting) {
        cancelRequested_ = true;
        return false;
    }
    endListening(false);
    play_.stop();
    Timer1->stop();
    TimerCTime->stop();
    setState(RunState::Idle);
    return true;
}

} // namespace tunedeck
