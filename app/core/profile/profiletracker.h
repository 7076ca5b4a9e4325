// The profile analysis as it is heard: a key that follows a play or a keyboard while it
// sounds, from the notes before each moment only. Timed in milliseconds, so it needs no
// tempo map: the notes are summed into one-second frames of pitch-class durations, a
// decaying context of them is correlated with the 24 key profiles, each second's chord is
// scored in every key, and a forward filter over the keys weighs that against staying in
// the key. The key shown moves only when another key stays clearly ahead for a few seconds;
// its confidence is the filter's probability calibrated (livecalibration.h), a key with a
// low one is flagged unsure (the flag turning at most once in a while), and after a silence
// no key is shown, though the last one heard stays at hand (finalReading).
#ifndef TUNEDECK_CORE_PROFILE_PROFILETRACKER_H
#define TUNEDECK_CORE_PROFILE_PROFILETRACKER_H

#include "core/base/keycodes.h"
#include "core/base/noteevent.h"
#include "core/profile/keyhmm.h"
#include "core/profile/keyprofiles.h"
#include "core/profile/livecalibration.h"
#include "core/profile/windowchords.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tunedeck::profile {

// The defaults were chosen by grouped cross-validation on the shared corpus
// (docs/PROFILE-ANALYSIS.md, "Live analysis"; tunedeck-livescore).
struct TrackerOptions {
    Profile profile = Profile::Fitted;
    std::int64_t frameMs = 1000;
    std::int64_t noteCapMs = 500; // a note counts this long at most: held chords do not drown what moves
    double decay = 0.5;        // share of the context kept from one second to the next
    double sharpness = 2;      // a frame emits exp(sharpness * correlation of the context)...
    double chordWeight = 0.25; // ...times the probability of its chord in the key (fittedchordevidence.h) to this power
    double stay = 0.9995;      // probability that the key stays from one second to the next
    double margin = 0.3;       // another key must be this much more probable than the shown one
    int holdFrames = 3;        // for this many sounding seconds in a row before it is shown
    std::optional<harmony::KeyChordTable> chordEvidence; // in place of the fitted one (fitting on the corpus)
    // A change seen in the recent seconds: when the last recentFrames sounding seconds favour
    // another key over the one shown by recentEvidence (their log emissions summed), it is
    // shown at once, and the filter takes it as the likelier. 0: none.
    int recentFrames = 10;
    double recentEvidence = 8;
    double unsureBelow = 0.5;  // a shown key with a lower confidence is flagged unsure...
    std::int64_t unsureHoldMs = 8000; // ...the flag turning on or off at most once in this long
    LiveCalibrationWeights calibration = FittedLiveCalibration;
    int silenceFrames = 4;     // seconds without a note after which no key is shown
    std::optional<ProfileWeights> weights; // in place of the profile's (fitting on the corpus)
};

struct ProfileReading {
    int keyCode = NoKey; // NoKey before the first note and after a silence
    double confidence = 0; // how often a key shown so is right: the calibrated probability
    bool sure = false;
    friend bool operator==(const ProfileReading &, const ProfileReading &) = default;
};

class ProfileTracker {
public:
    explicit ProfileTracker(const TrackerOptions &options = {});

    // Forgets everything heard: a new play or listening.
    void clear();
    // A note event heard at ms. Times go forward; an earlier time counts as the last one.
    void note(std::int64_t ms, const NoteEvent &event);
    // What is shown at ms, from the notes before it only. Ask before feeding later notes.
    ProfileReading readingAt(std::int64_t ms);
    // The reading after the frames closed so far.
    ProfileReading reading() const;
    // The reading over everything heard, however long ago the last note was: the one after
    // the last second that sounded, the notes of the second open at ms counted too. Listening
    // ends with it: feed nothing more before clear().
    ProfileReading finalReading(std::int64_t ms);
    // No key is shown and nothing heard waits to count: every later second reads alike (and
    // changes the tracker alike, read one by one or at once) until the next note.
    bool idle() const;
    // The filtered probability of every key index after the frames closed so far.
    const KeyScores &probabilities() const { return probability_; }
    // What the confidence of the reading is calibrated from.
    LiveConfidenceFeatures features() const;

private:
    struct Sounding {
        int channel = 0;
        int pitch = 0;
        std::int64_t startMs = 0;
    };
    void advanceTo(std::int64_t ms);
    void count(const Sounding &note, std::int64_t to);
    void closeFrame();
    void filter();
    void updateMark();
    bool changeSeen(const KeyScores &logEmission);
    std::optional<KeyScores> correlations(const std::array<double, 12> &durations) const;
    bool keyShown() const { return shown_ >= 0 && silentFrames_ < options_.silenceFrames; }

    TrackerOptions options_;
    KeyTemplates templates_{};
    KeyTransitions transitions_{};
    std::vector<Sounding> sounding_;
    std::array<double, 12> frame_{}; // the open frame's durations so far
    bool frameSounded_ = false;      // a note sounded in the open frame
    std::array<double, 12> context_{};
    KeyScores probability_{};
    KeyScores correlation_{}; // of the context with each key, at the last sounding frame
    std::vector<KeyScores> recent_; // the log emissions of the last recentFrames sounding frames, a ring
    int recentNext_ = 0;
    std::array<int, 8> fittest_{}; // the key fitting the context best at the last sounding frames
    int fitted_ = 0;               // sounding frames counted in it, its next slot modulo its size
    std::int64_t frameStart_ = 0;
    std::int64_t lastMs_ = 0;
    bool started_ = false;   // a frame has sounded
    int silentFrames_ = 0;
    int shown_ = -1;         // key index shown, -1 for none
    int behindFrames_ = 0;   // sounding seconds in a row another key has been clearly ahead
    int steadyFrames_ = 0;   // frames since the key shown last changed
    int heardFrames_ = 0;    // sounding frames so far
    std::int64_t frames_ = 0;      // frames closed so far, silent ones too
    bool marked_ = false;          // a key was shown at the last frame, with the flag below
    bool sure_ = false;
    std::int64_t flagFrame_ = 0;   // the frame the flag last turned at
    ProfileReading lastHeard_;     // the reading after the last frame that sounded
};

} // namespace tunedeck::profile

#endif
