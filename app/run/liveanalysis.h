// The second key analysis of what a play or listening sounds, as it sounds: it times the
// notes heard, keeps the live key tracker and says what it shows; the key map and the window
// only show it.
#ifndef TUNEDECK_LIVEANALYSIS_H
#define TUNEDECK_LIVEANALYSIS_H

#include "keyanalysis/livekey.h"
#include "playback/realtimesession.h"

#include <QObject>

#include <cstdint>

namespace tunedeck {

class LiveAnalysis : public QObject {
    Q_OBJECT
public:
    explicit LiveAnalysis(QObject *parent = nullptr) : QObject(parent) {}

    // A new play or listening.
    void start();
    // A note the library took, with its key, heard at ms of the run's clock.
    void record(const LiveKey &key, std::int64_t ms);
    // The key shown at ms, from the notes before it (every second of the run).
    void update(std::int64_t ms);
    // The last update, then nothing more until the next start.
    void finish(std::int64_t ms);

signals:
    void started();
    // Tonalyte's key in force at that second of the run.
    void tonalyteKey(std::int64_t second, std::int32_t code);
    // The key the tracker shows at that second.
    void analysed(const tunedeck::keyanalysis::LiveKeyReading &reading, std::int64_t second);

private:
    keyanalysis::LiveKeyTracker tracker_;
    bool running_ = false;
};

} // namespace tunedeck

#endif
