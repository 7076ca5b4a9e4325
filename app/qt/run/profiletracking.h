// The profile analysis of what a play or listening sounds, as it sounds, for the window: the
// core's LiveSession timed by the run's clock, its news as signals; the key map and the
// window only show them.
#ifndef TUNEDECK_QT_RUN_PROFILETRACKING_H
#define TUNEDECK_QT_RUN_PROFILETRACKING_H

#include "core/playback/livesession.h"
#include "core/playback/realtimesession.h"

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tunedeck {

class ProfileTracking : public QObject {
    Q_OBJECT
public:
    explicit ProfileTracking(QObject *parent = nullptr);

    // A new play or listening. keys: what a play shows, kept by the caller while it runs;
    // null for listening.
    void start(const PlayKeys *keys = nullptr);
    // A note the library took, with its key, heard at ms of the run's clock. The seconds up
    // to ms are read first, from the notes before them.
    void record(const TonalyteAnswer &key, std::int64_t ms) { session_.record(key, ms); }
    // Reads each whole second of the run up to ms not read yet. Every second is read at its
    // start, from the notes before it only, whenever the reading happens: a play that goes
    // on and one rebuilt by a seek read the same.
    void update(std::int64_t ms) { session_.update(ms); }
    // The last update, then nothing more until the next start. Listening then says what it
    // heard over everything, however long ago the last note was (finished); a play, its
    // whole-file analysis (playFinished).
    void finish(std::int64_t ms);

signals:
    void started();
    // Tonalyte's key in force at that second of the run.
    void tonalyteKey(std::int64_t second, std::int32_t code);
    // A key for a row of the live key map (LiveSession::TonalyteLine, ProfileLine), told before
    // the key or reading it comes from.
    void keyRecorded(std::size_t row, std::int64_t second, int code, bool unsure, std::optional<int> fifths);
    // The key shown at that second.
    void analysed(const tunedeck::ShownKey &shown, std::int64_t second);
    // The chord shown from that second: a play's as each note sounds, listening's read with
    // the key each second; only when it changes.
    void chordAnalysed(const tunedeck::ShownChord &chord, std::int64_t second);
    // Listening has ended: the tracker's reading of everything heard.
    void finished(const tunedeck::ShownKey &shown);
    // A play has ended with its reports: the analysis of the whole of what it played, as a
    // fast run shows it, with the names of its keys.
    void playFinished(const tunedeck::profile::ProfileAnalysis &analysis, const tunedeck::SpelledNames &names);

private:
    LiveSession session_;
};

} // namespace tunedeck

#endif
