// What runs, outside any window: the chosen file, a fast detection, a play, listening to an
// input port, and the one state they share. Every run's call into the library is made from
// here or from the sessions it owns; where a run's notes come from and go to is the port
// routing's (portrouting.h). A window only starts runs and shows what they report.
#ifndef TUNEDECK_QT_RUN_RUNNER_H
#define TUNEDECK_QT_RUN_RUNNER_H

#include "core/analysis/fileanalysis.h"
#include "core/fastdetect/fastdetection.h"
#include "core/fastdetect/openfile.h"
#include "core/profile/profileanalysis.h"
#include "core/playback/playkeys.h"
#include "core/playback/realtimesession.h"
#include "qt/playback/runclock.h"
#include "qt/ports/portentries.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace tunedeck {

class ProfileTracking;
class PlayListOutput;
class PortRouting;
class TonalyteEngine;

enum class RunState {
    Idle,
    FastDetecting, // the window's events pass only between fed events
    Playing,
    Paused, // a play stands still at its clock; going on or a seek moves it
    Listening,
    Stopping, // the play has sent its last event; its reports follow in 1.5 s
};

// A fast run and listening hold the library and the file: nothing else starts meanwhile.
constexpr bool mayStart(RunState state)
{
    return state != RunState::FastDetecting && state != RunState::Listening;
}

// A chosen file as a run would open it.
struct CheckedFile {
    OpenFile file;
    OpenResult result;
};

// What a run tells the user besides its results.
enum class RunNotice {
    Loading,       // the file is being read
    Playing,       // the play has started
    Listening,     // listening to the input port named in the detail
    TrackNotFound, // the chosen track is not in the file
    TimerError,    // the library's clock would not start
    Stopped,       // Stop while nothing ran, or listening ended
    EndOfData,     // the play sent its last event
    OutputError,   // the output failed; the detail says why
    InputError,    // listening failed or its port went away; the detail says why
    InputRefused,  // listening cannot start; the detail says why, empty when no port is chosen
};

class Runner : public QObject, private AnswerView {
    Q_OBJECT
public:
    // output may be null: nothing plays. ports routes plays and listening (made on the same
    // output); it and the runner may be destroyed in either order. The runner's timers and
    // listening keep clock's time.
    Runner(TonalyteEngine &library, PlayListOutput *output, PortRouting &ports, RunClock &clock = systemClock(),
           QObject *parent = nullptr);
    ~Runner() override;

    // The user's choices, read at the moments they count: the start of a run and its reports.
    void setChoices(std::function<AnalysisChoices()> choices) { choices_ = std::move(choices); }
    AnalysisChoices choices() const;

    RunState state() const { return state_; }
    // Fast detecting, playing (paused too) or listening: what Stop ends.
    bool busy() const;

    // Checks and loads a file as every run does first; opened() reports the outcome.
    bool open(const QString &path);
    // Checks and loads a file as open() does, into a file of its own: a run in progress
    // keeps the runner's, and nothing is reported.
    CheckedFile checkFile(const QString &path) const;
    OpenFile &file() { return file_; }
    const QString &path() const { return path_; }

    // The runs. Each starts by ending what ran before it.
    // output: where the play goes, the built-in synthesizer when null.
    void play(const QString &path, const PortEntry *output);
    void fastDetect(const QString &path);
    void listen(const PortEntry *input, const PortEntry *output, bool thru);
    // Stop: listening ends with its reports, a play without, a fast run is cancelled.
    void stop();
    // A play's position: a seek to ms of it (also while paused, or once its last event has
    // gone), where every key shown is what a play from the start shows there; pause (the
    // state Paused) and go on.
    void seek(std::int64_t ms);
    void pause();
    void resume();
    // How long the play lasts, in ms; 0 before one is composed, and after a fast run or
    // forgetPlay().
    std::int64_t playLength() const { return play_.length(); }
    // Another file was chosen: with nothing playing, the last play's length goes.
    void forgetPlay();
    // The window closes: everything ends without reports. False while a fast run is on
    // the stack: it is cancelled, and closing must wait for it.
    bool shutDown();

    // The library's clock, in milliseconds of the current play or listening.
    std::uint32_t clock() const;
    // The clock of the live analysis: the play's, or listening's own from its start.
    std::int64_t liveClock() const;
    ProfileTracking &profileTracking() const { return *live_; }
    // What the last play shows of the profile analysis and its chords; null before one.
    const PlayKeys *playKeys() const { return playKeys_ ? &*playKeys_ : nullptr; }
    // The soundfont plays use, so that an audio export sounds the same.
    QString soundFont() const;
    // The built-in synthesizer's master volume, 0..100 %; ports keep the device's own.
    void setVolume(int percent);

signals:
    void stateChanged(tunedeck::RunState state);
    void opened(const tunedeck::OpenResult &result);
    void notice(tunedeck::RunNotice notice, const QString &detail = QString());
    // A play or listening starts: the result display is reset.
    void liveStarted();
    // A play was composed, or forgotten (0).
    void playLengthChanged(std::int64_t ms);
    void answered(const tunedeck::TonalyteAnswer &key);
    void clockTicked(std::uint32_t milliseconds);
    // A fast run: its events are gathered, the library is ready, then each fed event.
    void gathered(const tunedeck::FastDetection &run);
    void feeding(int events);
    void progress(const tunedeck::FeedProgress &progress);
    // A fast run is over, or its file was refused; the profile analysis comes whenever the
    // events were gathered.
    void fastFinished(const tunedeck::FileAnalysis &analysis);
    // A play or fast run begins without the note-ons its transposition pushed out of 1..127
    // and the note-ons of note 0, which the library refuses; listening tells the note 0s it
    // has left out so far as it hears each.
    void notesLeftOut(int transposed, int noteZero);
    // A play or listening ended with its reports.
    void reported(const tunedeck::KeyReports &reports);
    // The overall key as the library's statistics stand, each second of a play or listening.
    void standing(const tunedeck::OverallKeyReport &overall);

private:
    void setState(RunState state);
    void showAnswer(const TonalyteAnswer &key, std::int64_t ms) override;
    void endOfData();
    void playEnded();
    void tick();
    void showStanding();
    bool endListening(bool report);
    void heard(const NoteEvent &note);
    void stopLibraryClock();
    void forgetPlayList();
    void seekTo(std::int64_t ms, bool playing);
    bool keepGoing(const FeedProgress &progress);

    TonalyteEngine &library_;
    PlayListOutput *output_;
    PortRouting &ports_;
    RunClock &clock_;
    std::function<AnalysisChoices()> choices_;
    RunState state_ = RunState::Idle;
    OpenFile file_;
    QString path_;
    RealTimeSession play_;
    bool listening_ = false; // the library takes notes heard
    int heardNoteZero_ = 0;  // note-ons of note 0 listening has left out
    ProfileTracking *live_ = nullptr;
    RunTimer *Timer1 = nullptr;     // end of play: the reports 1.5 s after the last event
    RunTimer *TimerCTime = nullptr; // the play clock, every second
    bool cancelRequested_ = false;
    QElapsedTimer eventsLetThrough_; // when a fast run last let the window's events through
    std::optional<std::int64_t> listenStart_; // on clock_, times the notes heard; none while a play runs
    std::optional<PlayKeys> playKeys_;        // what the play shows of the profile analysis
};

} // namespace tunedeck

#endif
