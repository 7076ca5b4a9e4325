// What a play shows of the profile analysis: a file is known before it plays, so the key
// at the play's position is the local key of the whole-file analysis of what is played (the
// chosen tracks, transposed, muted channels left out), with its window's confidence and the
// bar it began at, and the chord there in that key. Past what that analysis holds (a file
// over the event buffer) the play shows the listening tracker's reading instead, marked, and
// the chord heard. A score's keys and chords are named as it writes them, unless transposed.
#ifndef TUNEDECK_CORE_PLAYBACK_PLAYKEYS_H
#define TUNEDECK_CORE_PLAYBACK_PLAYKEYS_H

#include "core/chords/chordanalysis.h"
#include "core/chords/spellednames.h"
#include "core/fastdetect/fastdetection.h"
#include "core/fastdetect/openfile.h"
#include "core/profile/profileanalysis.h"
#include "core/profile/shownkey.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tunedeck {

using profile::ShownKey;

// The chord a play or listening shows at a moment, with the key it is named in.
struct ShownChord {
    harmony::Chord chord; // no chord where nothing sounds
    int keyCode = NoKey;
    std::optional<harmony::WrittenChord> written; // as a score writes it there
    friend bool operator==(const ShownChord &, const ShownChord &) = default;
};

class PlayKeys {
public:
    // Nothing when the chosen tracks are not in the file. The tempo of options.adjust times
    // the play; the analysis reads ticks. keyNetwork: the local keys from the key network, as
    // the fast run takes them with the same choice; musicBars: the bars the notes show, else
    // the meter's from tick 0.
    static std::optional<PlayKeys> of(const OpenFile &file, const FastOptions &options,
                                      const profile::AnalysisOptions &analysis = {}, bool keyNetwork = false,
                                      bool musicBars = true);

    // The file's tick at ms of the play, at the first tempo, as the play list times it.
    std::int64_t tickAt(std::int64_t ms) const;
    // The local key at ms of the play; listened, with the tracker's reading, past the
    // events the analysis holds.
    ShownKey at(std::int64_t ms, const profile::ProfileReading &tracker) const;

    // The chord at ms of the play in its local key; heard, the chord of the last second in
    // the tracker's key, past the events the analysis holds.
    ShownChord chordAt(std::int64_t ms, const ShownChord &heard) const;

    const profile::ProfileAnalysis &analysis() const { return analysis_; }
    // A score's keys as it writes them, when the play is not transposed.
    const SpelledNames &names() const { return names_; }
    // The chords of what is played, in the file's ticks; msPerTick() times them for the play.
    const std::vector<chords::ChordSegment> &chords() const { return chords_; }
    double msPerTick() const { return msPerTick_; }
    // The analysis holds every note the play sounds.
    bool whole() const { return whole_; }

private:
    profile::ProfileAnalysis analysis_;
    std::vector<chords::ChordSegment> chords_;
    SpelledNames names_{nullptr, nullptr};
    std::shared_ptr<const ScoreSpelling> spelling_; // what names_ was built from
    bool whole_ = true;
    double msPerTick_ = 1;
    double unsureBelow_ = profile::TrackerOptions{}.unsureBelow;
};

} // namespace tunedeck

#endif
