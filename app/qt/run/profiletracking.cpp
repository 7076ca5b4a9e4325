#include "qt/run/profiletracking.h"

namespace tunedeck {

ProfileTracking::ProfileTracking(QObject *parent) : QObject(parent)
{
    session_.setListener({
        .read = [this](const LiveReading &r) { emit analysed(r.shown, r.second); },
        .tonalyte = [this](std::int64_t second, std::int32_t code) { emit tonalyteKey(second, code); },
        .chord = [this](const ShownChord &chord, std::int64_t second) { emit chordAnalysed(chord, second); },
        .keyMap = [this](std::size_t row, std::int64_t second, int code, bool unsure,
                         std::optional<int> fifths) { emit keyRecorded(row, second, code, unsure, fifths); },
        .finished = [this](const ShownKey &shown) { emit finished(shown); },
    });
}

void ProfileTracking::start(const PlayKeys *keys)
{
    session_.start(keys);
    emit started();
}

void ProfileTracking::finish(std::int64_t ms)
{
    const bool play = session_.running() && session_.keys();
    session_.finish(ms);
    if (play)
        emit playFinished(session_.keys()->analysis(), session_.keys()->names());
}

} // namespace tunedeck
