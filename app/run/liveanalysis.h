// The second key analysis of what a play or listening has sounded so far: it owns the notes
// heard and the analyser, and says what it found; the key map and the window only show it.
#ifndef TUNEDECK_LIVEANALYSIS_H
#define TUNEDECK_LIVEANALYSIS_H

#include "fastdetect/noteevents.h"
#include "keyanalysis/keyanalysis.h"
#include "playback/realtimesession.h"

#include <QObject>

#include <cstdint>
#include <optional>
#include <vector>

namespace tunedeck {

class LiveAnalysis : public QObject {
    Q_OBJECT
public:
    explicit LiveAnalysis(QObject *parent = nullptr) : QObject(parent) {}

    // A new play or listening, its notes timed in ticksPerQuarter.
    void start(int ticksPerQuarter);
    // A note the library took, with its key, at the play clock's milliseconds.
    void record(const LiveKey &key, std::uint32_t clockMs);
    // Analyses the notes so far (the play clock's tick, every second).
    void update(std::uint32_t clockMs);
    // The last analysis, then nothing more until the next start.
    void finish(std::uint32_t clockMs);

signals:
    void started();
    // Tonalyte's key in force at that second of the play.
    void tonalyteKey(std::int64_t second, std::int32_t code);
    // The analysis of everything so far, and the local key at that second.
    void analysed(const tunedeck::keyanalysis::KeyAnalysis &analysis, std::int64_t second);

private:
    std::optional<keyanalysis::KeyAnalyser> analyser_;
    std::vector<NoteEvent> notes_;
};

} // namespace tunedeck

#endif
