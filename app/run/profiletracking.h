// The profile analysis of what a play or listening sounds, as it sounds: it times the
// notes heard, keeps the profile tracker and says what it shows; the key map and the window
// only show it. A play shows the local key of the whole-file analysis at its position (its
// file is known before it sounds), and the tracker's reading only past what that analysis
// holds; listening, which cannot look ahead, shows the tracker's. The chord goes alike: a
// play's from the analysis of its file, listening's the chord of the last second heard.
#ifndef TUNEDECK_PROFILETRACKING_H
#define TUNEDECK_PROFILETRACKING_H

#include "chords/livechord.h"
#include "playback/playkeys.h"
#include "playback/realtimesession.h"
#include "profile/profiletracker.h"

#include <QObject>

#include <optional>

#include <cstdint>

namespace tunedeck {

class ProfileTracking : public QObject {
    Q_OBJECT
public:
    explicit ProfileTracking(QObject *parent = nullptr) : QObject(parent) {}

    // A new play or listening. keys: what a play shows, kept by the caller while it runs;
    // null for listening.
    void start(const PlayKeys *keys = nullptr);
    // A note the library took, with its key, heard at ms of the run's clock. The seconds up
    // to ms are read first, from the notes before them.
    void record(const TonalyteAnswer &key, std::int64_t ms);
    // Reads each whole second of the run up to ms not read yet. Every second is read at its
    // start, from the notes before it only, whenever the reading happens: a play that goes
    // on and one rebuilt by a seek read the same.
    void update(std::int64_t ms);
    // The last update, then nothing more until the next start. Listening then says what it
    // heard over everything, however long ago the last note was (finished).
    void finish(std::int64_t ms);

signals:
    void started();
    // Tonalyte's key in force at that second of the run.
    void tonalyteKey(std::int64_t second, std::int32_t code);
    // The key shown at that second.
    void analysed(const tunedeck::ShownKey &shown, std::int64_t second);
    // The chord shown from that second: a play's as each note sounds, listening's read with
    // the key each second; only when it changes.
    void chordAnalysed(const tunedeck::ShownChord &chord, std::int64_t second);
    // Listening has ended: the tracker's reading of everything heard.
    void finished(const tunedeck::ShownKey &shown);

private:
    void showChord(const ShownChord &chord, std::int64_t second);

    profile::ProfileTracker tracker_;
    chords::LiveChord heard_;
    const PlayKeys *keys_ = nullptr;
    bool running_ = false;
    std::int64_t nextSecond_ = 1; // the first second not read yet
    std::optional<ShownChord> shownChord_; // the chord emitted last
};

} // namespace tunedeck

#endif
