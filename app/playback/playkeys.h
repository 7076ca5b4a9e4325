// What a play shows of the profile analysis: a file is known before it plays, so the key
// at the play's position is the local key of the whole-file analysis of what is played (the
// chosen tracks, transposed, muted channels left out), with its window's confidence and the
// bar it began at. Past what that analysis holds (a file over the event buffer) the play
// shows the listening tracker's reading instead, marked.
#ifndef TUNEDECK_PLAYKEYS_H
#define TUNEDECK_PLAYKEYS_H

#include "fastdetect/fastdetection.h"
#include "fastdetect/openfile.h"
#include "profile/profileanalysis.h"
#include "profile/shownkey.h"

#include <cstdint>
#include <optional>

namespace tunedeck {

using profile::ShownKey;

class PlayKeys {
public:
    // Nothing when the chosen tracks are not in the file. The tempo of options.adjust times
    // the play; the analysis reads ticks.
    static std::optional<PlayKeys> of(const OpenFile &file, const FastOptions &options,
                                      const profile::AnalysisOptions &analysis = {});

    // The file's tick at ms of the play, at the first tempo, as the play list times it.
    std::int64_t tickAt(std::int64_t ms) const;
    // The local key at ms of the play; listened, with the tracker's reading, past the
    // events the analysis holds.
    ShownKey at(std::int64_t ms, const profile::ProfileReading &tracker) const;

    const profile::ProfileAnalysis &analysis() const { return analysis_; }
    // The analysis holds every note the play sounds.
    bool whole() const { return whole_; }

private:
    profile::ProfileAnalysis analysis_;
    bool whole_ = true;
    double msPerTick_ = 1;
    double unsureBelow_ = profile::TrackerOptions{}.unsureBelow;
};

} // namespace tunedeck

#endif
