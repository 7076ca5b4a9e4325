// What runs, outside any window: the chosen file, a fast detection, a play, listening to an
// input port, and the one state they share. Every call into the library is made from here
// or from the sessions it owns; a window only starts runs and shows what they report.
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

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace tunedeck {

class ProfileTracking;
class MidiSink;
class PlayListOutput;
class PortInput;
class PortSink;
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
    // output may be null: nothing plays. The runner's timers and listening keep clock's time.
    Runner(TonalyteEngine &library, PlayListOutput *output, RunClock &clock = systemClock(),
           QObject *parent = nullptr);
    ~Runner() override;

    // The user's choices, read at the moments they count: the start of a run and its reports.
    void setChoices(std::function<AnalysisChoices()> choices) { choices_ = std::move(choices); }

    RunState state() const { return state_; }
    // Fast detecting, playing (paused too) or listening: what Stop ends.
    bool busy() const;

    // The start-up check: the library's version, nothing when it is missing or of another
    // version (libraryProblem() then says what the binding met, if anything).
    std::optional<std::int32_t> libraryVersion();
    QString libraryProblem() const;
    // The library's test log, switched by the key-signature label.
    void setTestLog(bool on);

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

    // Audio export: the chosen file rendered to WAV as a play would sound it, on a worker
    // thread. First how long it would last, the file opened as a run opens it; nothing when
    // no run may start now or the file is refused.
    std::optional<std::int64_t> audioLength(const QString &path);
    // Then the render of that file into wavPath, refused past maxMs, normalised or at the
    // synthesizer's level; exportProgress and audioExported follow. False while another
    // render runs or a run holds the file.
    bool exportAudio(const QString &wavPath, std::int64_t maxMs, bool normalise = false);
    // The render stops at its next block and says it was cancelled.
    void cancelExport();

    // Where plays go: the built-in synthesizer (null or its entry) or an output port;
    // false, with the notice, when the port cannot be opened.
    bool chooseOutput(const PortEntry *entry);
    // Output ports gone from the lists: listening played through one of them says so.
    void portsChanged(const std::vector<MidiPort> &inputs, const std::vector<MidiPort> &outputs);

    // The library's clock, in milliseconds of the current play or listening.
    std::uint32_t clock() const;
    // The clock of the live analysis: the play's, or listening's own from its start.
    std::int64_t liveClock() const;
    ProfileTracking &profileTracking() const { return *live_; }
    // What the last play shows of the profile analysis and its chords; null before one.
    const PlayKeys *playKeys() const { return playKeys_ ? &*playKeys_ : nullptr; }
    // The soundfont plays use, so that rendering sounds the same.
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
    // A play or fast run begins without the note-ons its transposition pushed out of 1..127.
    void notesLeftOut(int noteOns);
    // A play or listening ended with its reports.
    void reported(const tunedeck::KeyReports &reports);
    // The overall key as the library's statistics stand, each second of a play or listening.
    void standing(const tunedeck::OverallKeyReport &overall);
    // An audio export's share done (0..1), and its end: error is empty when wavPath was
    // written, else why not (a cancel too).
    void exportProgress(double done);
    void audioExported(const QString &wavPath, const QString &error);

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
    void finishExport(const QString &wavPath, const QString &error);
    bool keepGoing(const FeedProgress &progress);
    AnalysisChoices choices() const;

    TonalyteEngine &library_;
    PlayListOutput *output_;
    RunClock &clock_;
    std::function<AnalysisChoices()> choices_;
    RunState state_ = RunState::Idle;
    OpenFile file_;
    QString path_;
    RealTimeSession play_;
    bool listening_ = false; // the library takes notes heard
    ProfileTracking *live_ = nullptr;
    RunTimer *Timer1 = nullptr;     // end of play: the reports 1.5 s after the last event
    RunTimer *TimerCTime = nullptr; // the play clock, every second
    bool cancelRequested_ = false;
    QElapsedTimer eventsLetThrough_; // when a fast run last let the window's events through
    std::optional<std::int64_t> listenStart_; // on clock_, times the notes heard; none while a play runs
    std::optional<PlayKeys> playKeys_;        // what the play shows of the profile analysis
    struct AudioExport {
        std::thread worker;
        std::atomic<bool> cancel{false};
    } export_;
    PortInput *input_ = nullptr;
    std::shared_ptr<PortSink> portSink_; // the output port plays go to, kept while chosen
    std::shared_ptr<MidiSink> thru_;     // what listening plays through, while it lasts
};

} // namespace tunedeck

#endif
