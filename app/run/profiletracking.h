// The profile analysis of what a play or listening sounds, as it sounds: it times the
// notes heard, keeps the profile tracker and says what it shows; the key map and the window
// only show it.
#ifndef TUNEDECK_PROFILETRACKING_H
#define TUNEDECK_PROFILETRACKING_H

#include "profile/profiletracker.h"
#include "playback/realtimesession.h"

#include <QObject>

#include <cstdint>

namespace tunedeck {

class ProfileTracking : public QObject {
    Q_OBJECT
public:
    explicit ProfileTracking(QObject *parent = nullptr) : QObject(parent) {}

    // A new play or listening.
    void start();
    // A note the library took, with its key, heard at ms of the run's clock. The seconds up
    // to ms are read first, from the notes before them.
    void record(const TonalyteAnswer &key, std::int64_t ms);
    // Reads each whole second of the run up to ms not read yet. Every second is read at its
    // start, from the notes before it only, whenever the reading happens: a play that goes
    // on and one rebuilt by a seek read the same.
    void update(std::int64_t ms);
    // The last update, then nothing more until the next start.
    void finish(std::int64_t ms);

signals:
    void started();
    // Tonalyte's key in force at that second of the run.
    void tonalyteKey(std::int64_t second, std::int32_t code);
    // The key the tracker shows at that second.
    void analysed(const tunedeck::profile::ProfileReading &reading, std::int64_t second);

private:
    profile::ProfileTracker tracker_;
    bool running_ = false;
    std::int64_t nextSecond_ = 1; // the first second not read yet
};

} // namespace tunedeck

#endif
