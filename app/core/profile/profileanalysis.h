// A profile analysis beside Tonalyte's, in plain C++: key profiles correlated with
// pitch-class durations per window, and a hidden Markov model over the 24 keys for the
// local keys, the global key and its candidates. Measured on the shared corpus in
// docs/PROFILE-ANALYSIS.md.
#ifndef TUNEDECK_CORE_PROFILE_PROFILEANALYSIS_H
#define TUNEDECK_CORE_PROFILE_PROFILEANALYSIS_H

#include "core/base/keycodes.h"
#include "core/base/keynames.h"
#include "core/profile/analysisoptions.h"
#include "core/profile/keyworkspace.h"
#include "core/profile/localkeys.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tunedeck::profile {

struct KeyCandidate {
    int keyCode = NoKey;
    double confidence = 0;
    KeyRelation relation = KeyRelation::None; // to the first candidate
};

struct LocalKey { // a run of windows in one key
    std::int64_t startTick = 0;
    std::int64_t endTick = 0;
    int keyCode = NoKey;
};

struct BarKey {
    std::int64_t bar = 0; // from 1, or 0 for a pickup
    int keyCode = NoKey;
    bool operator==(const BarKey &) const = default;
};

// Where bar 1 starts (0 <= start < ticksPerBar), and whether what comes before is bar 0, a
// pickup, or bar 1's too. lines: bar 1's first tick (tick) and every later bar's where the
// music's bars change length; bars of the usual length go on past the last. Empty: bars of the
// usual length throughout.
struct BarStart {
    std::int64_t tick = 0;
    bool pickup = false;
    std::vector<std::int64_t> lines;
};

struct ProfileAnalysis {
    int keyCode = NoKey; // the global key; NoKey when nothing sounded
    double confidence = 0;
    bool ambiguous = false;
    std::vector<KeyCandidate> candidates; // best first, calibrated, those under 1 % left out
    std::array<double, 24> keyShares{};   // by key index: expected share of the note time, before calibration
    std::vector<LocalKey> regions;
    std::int64_t windowTicks = 0;
    std::vector<int> windowKeys; // window i covers ticks [i, i + 1) * windowTicks
    std::vector<float> windowShares;      // each window's key's probability given the piece, before calibration
    std::vector<float> windowConfidences; // the same calibrated: how often a key shown so is right
    double changeRate = 0;       // key changes per quarter note the local keys were found with
    std::vector<BarKey> bars;    // every bar up to the last event, at most MaxBars
    std::vector<BarKey> barChanges; // the bars whose key differs from the bar before, up to the last event
    std::int64_t lastBar = 0;       // the bar of the last event, however far; 0 with no bar keys
    std::int64_t ticksPerBar = 0;   // the bars' length; 0 with no bar keys
    BarStart barStart;              // bar 1's first tick; bars listed from 0 after a pickup
    bool keyNetwork = false;        // the local keys are the key network's, not the profiles'
};

// The local key at a position of a play, as it is shown: its window's calibrated confidence
// and where the run of that key began.
struct LocalKeyAt {
    int keyCode = NoKey;        // NoKey when nothing sounded
    double confidence = 0;
    std::int64_t startTick = 0; // where the key began
    std::int64_t startBar = 0;  // from 1: the bar nearest that start; 0 with no bars
    bool beyond = false;        // the tick lies past the last event analysed: the last key, held
};
LocalKeyAt localKeyAt(const ProfileAnalysis &analysis, std::int64_t tick);

// The confidence of a bar's key (from 1): its windows' holding that key, by the time they
// cover of the bar; 0 without bars or past the windows.
double barConfidence(const ProfileAnalysis &analysis, const BarKey &bar);

constexpr std::int64_t MaxBars = 1 << 16;

// The candidates for the keys' calibrated shares (by key index): best first, each with its
// relation to the first; those under 1 % are left out, so the rest sum to at most 1.
std::vector<KeyCandidate> keyCandidates(const std::array<double, 24> &shares);

// The whole analysis of the events gathered so far: the local keys in the workspace's windows
// (its window length, not options.windowQuarters, counts), the global key and candidates in
// windows of options.globalQuarters merged from them. ticksPerBar <= 0 leaves the bars and
// their changes empty; bar 1 starts at barStart.
ProfileAnalysis analyseProfile(const KeyWorkspace &workspace, std::int64_t ticksPerBar, const AnalysisOptions &options = {},
                               BarStart barStart = {});

// The same from a file's events (any order; sorted by tick when they are not).
ProfileAnalysis analyseProfile(const std::vector<NoteEvent> &events, int ticksPerQuarter, std::int64_t ticksPerBar,
                               const AnalysisOptions &options = {}, BarStart barStart = {});

// The regions, bars and bar changes again from the windows' keys (windowKeys, windowTicks),
// for local keys found another way; lastTick ends the last region.
void placeLocalKeys(ProfileAnalysis &analysis, std::int64_t lastTick, std::int64_t ticksPerBar,
                    BarStart barStart = {});

// The first tick of a bar of the analysis' (bar 0, a pickup, from tick 0), and the bar of a tick.
std::int64_t barStartTick(const ProfileAnalysis &analysis, std::int64_t bar);
std::int64_t barOfTick(const ProfileAnalysis &analysis, std::int64_t tick);

// For live use on a growing list of events in time order: adds only the events it has not
// seen yet, so analysing again after every few events costs the new events plus the
// windows' model. A list shorter than the one before is taken as a new start.
class ProfileAnalyser {
public:
    explicit ProfileAnalyser(int ticksPerQuarter, AnalysisOptions options = {});
    void update(const std::vector<NoteEvent> &allEventsSoFar);
    ProfileAnalysis analysis(std::int64_t ticksPerBar) const;
    void clear();

private:
    AnalysisOptions options_;
    KeyWorkspace workspace_;
};

} // namespace tunedeck::profile

#endif
