// The key analysis on passages written note by note: keys found, key changes at the right
// bars, confidences and relations, the window durations, live updates, and empty input.
#include "core/profile/profileanalysis.h"
#include "core/profile/keyhmm.h"
#include "noteevents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

using namespace tunedeck;
using namespace tunedeck::profile;

namespace {

constexpr int Tpq = 480;
constexpr int Bar = 4 * Tpq;

using tunedeck::testnotes::Note;
using tunedeck::testnotes::eventsOf;

// Eight bars in one key: tonic and dominant seventh chords in turn over their root, and the
// scale stepping up in quarter notes above. Minor keys take the harmonic minor, so V7 has
// the leading tone. Every two-bar window holds I and V7, whose tritone names the key.
std::vector<Note> phrase(int tonic, bool minor, int firstBar)
{
    static constexpr int majorScale[7] = {0, 2, 4, 5, 7, 9, 11};
    static constexpr int minorScale[7] = {0, 2, 3, 5, 7, 8, 11};
    static constexpr int roots[8] = {0, 4, 0, 4, 0, 4, 4, 0}; // I V7 I V7 I V7 V7 I
    const int *scale = minor ? minorScale : majorScale;
    const auto pitch = [&](int degree, int octave) { return 12 * octave + tonic + scale[degree % 7] + 12 * (degree / 7); };
    std::vector<Note> notes;
    for (int bar = 0; bar < 8; ++bar) {
        const std::int32_t start = (firstBar - 1 + bar) * Bar;
        const int root = roots[bar];
        notes.push_back({start, Bar, pitch(root, 3)});
        for (int third = 0; third < (root == 4 ? 4 : 3); ++third)
            notes.push_back({start, Bar, pitch(root + 2 * third, 4)});
        for (int beat = 0; beat < 4; ++beat)
            notes.push_back({start + beat * Tpq, Tpq, pitch((4 * bar + beat) % 7, 5)});
    }
    return notes;
}

std::vector<int> barKeys(const ProfileAnalysis &a)
{
    std::vector<int> keys;
    for (const BarKey &b : a.bars)
        keys.push_back(b.keyCode);
    return keys;
}

std::vector<int> repeated(std::initializer_list<std::pair<int, int>> runs)
{
    std::vector<int> out;
    for (auto [key, count] : runs)
        out.insert(out.end(), std::size_t(count), key);
    return out;
}

} // namespace

// Phrases in major keys one after the other: {tonic, bars} with bars a multiple of 8.
std::vector<Note> sections(std::initializer_list<std::pair<int, int>> parts)
{
    std::vector<Note> all;
    int bar = 1;
    for (auto [tonic, bars] : parts)
        for (int i = 0; i < bars / 8; ++i, bar += 8) {
            const std::vector<Note> p = phrase(tonic, false, bar);
            all.insert(all.end(), p.begin(), p.end());
        }
    return all;
}

TEST(ProfileAnalysis, FindsKeysAndKeyChanges)
{
    struct Case {
        const char *name;
        std::vector<Note> notes;
        double stay; // 0: the rates tried per piece, else this stay per window and no rates
        int key;
        bool ambiguous;
        std::vector<int> bars;
    } cases[] = {
        {"C major", phrase(0, false, 1), 0, 160, false, repeated({{160, 8}})},
        {"A harmonic minor", phrase(9, true, 1), 0, 69, false, repeated({{69, 8}})},
        {"F# minor", phrase(6, true, 1), 0, 66, false, repeated({{66, 8}})},
        {"Eb major", phrase(3, false, 1), 0, 163, false, repeated({{163, 8}})},
        // Eight bars of G between C: found with a low stay; a stay of 0.995 does not pay for
        // two changes on so little, and keeps C throughout.
        {"C G C, stay 0.7", sections({{0, 8}, {7, 8}, {0, 16}}), 0.7, 160, false,
         repeated({{160, 8}, {167, 8}, {160, 16}})},
        {"C G C, stay 0.995", sections({{0, 8}, {7, 8}, {0, 16}}), 0.995, 160, false, repeated({{160, 32}})},
        // Longer sections are worth the changes; G holds 3/4 of C's time, so ambiguous.
        {"C G C, longer sections", sections({{0, 16}, {7, 24}, {0, 16}}), 0, 160, true,
         repeated({{160, 16}, {167, 24}, {160, 16}})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        AnalysisOptions options;
        if (c.stay > 0) {
            options.stay = c.stay;
            options.local.changeRates.clear();
        }
        const ProfileAnalysis a = analyseProfile(eventsOf(c.notes), Tpq, Bar, options);
        EXPECT_EQ(a.keyCode, c.key) << analysisKeyName(a.keyCode);
        EXPECT_EQ(barKeys(a), c.bars);
        EXPECT_EQ(a.ambiguous, c.ambiguous);

        // Candidates: the global key first, each with its relation.
        ASSERT_FALSE(a.candidates.empty());
        EXPECT_EQ(a.candidates.front().keyCode, a.keyCode);
        EXPECT_DOUBLE_EQ(a.candidates.front().confidence, a.confidence);
        double sum = 0;
        for (const KeyCandidate &k : a.candidates) {
            sum += k.confidence;
            EXPECT_EQ(k.relation, keyRelation(a.keyCode, k.keyCode));
        }
        // Those left out hold under 1 % each.
        EXPECT_LE(sum, 1.0 + 1e-9);
        EXPECT_GT(sum, 1.0 - 0.01 * double(24 - a.candidates.size()));

        // Calibrated or not, the same key, candidates in the same order and the same flag.
        options.calibration = {0, 1};
        const ProfileAnalysis raw = analyseProfile(eventsOf(c.notes), Tpq, Bar, options);
        EXPECT_EQ(raw.keyShares, a.keyShares);
        EXPECT_EQ(raw.ambiguous, a.ambiguous);
        for (std::size_t i = 0; i < std::min(raw.candidates.size(), a.candidates.size()); ++i)
            EXPECT_EQ(raw.candidates[i].keyCode, a.candidates[i].keyCode) << i;

        // Regions cover the windows without gaps, neighbours in different keys.
        ASSERT_FALSE(a.regions.empty());
        EXPECT_EQ(a.regions.front().startTick, 0);
        for (std::size_t i = 1; i < a.regions.size(); ++i) {
            EXPECT_EQ(a.regions[i].startTick, a.regions[i - 1].endTick);
            EXPECT_NE(a.regions[i].keyCode, a.regions[i - 1].keyCode);
        }
        EXPECT_EQ(a.regions.back().endTick, std::int64_t(c.bars.size()) * Bar);
    }
}

TEST(KeyWorkspace, DurationsSplitAtWindowEdgesAndLiveUpdatesMatch)
{
    // Window of 1 quarter (480 ticks). C4 sounds 100..1000; E4 starts at 900 and is never
    // ended, so it counts up to the last event (1000); D on another channel overlaps itself.
    std::vector<NoteEvent> events = {
        {100, 60, 90, true, 0, 2}, {200, 62, 90, true, 1, 2}, {300, 62, 90, true, 1, 2}, {400, 62, 0, false, 1, 2},
        {500, 62, 0, false, 1, 2}, {900, 64, 90, true, 0, 2}, {1000, 60, 0, false, 0, 2}, {1000, 61, 0, false, 0, 2},
    };
    KeyWorkspace ws(Tpq, 1);
    ws.add(events);
    ASSERT_EQ(ws.windows().size(), 3u);
    EXPECT_EQ(ws.windows()[0].sounding[0], 380);
    EXPECT_EQ(ws.windows()[1].sounding[0], 480);
    EXPECT_EQ(ws.windows()[2].sounding[0], 40);
    EXPECT_EQ(ws.windows()[0].sounding[2], 280 + 100); // two D's together from 300 to 400
    EXPECT_EQ(ws.windows()[1].sounding[2], 20);
    EXPECT_EQ(ws.windows()[1].sounding[4], 60);
    EXPECT_EQ(ws.windows()[2].sounding[4], 40);
    EXPECT_EQ(ws.windows()[0].bass[0], 380); // C4 is lowest whenever it sounds
    EXPECT_EQ(ws.finalBass(), 0);

    // Fed a few events at a time, the live analyser ends where the whole analysis does.
    std::vector<Note> notes = phrase(0, false, 1), g = phrase(7, false, 9);
    notes.insert(notes.end(), g.begin(), g.end());
    const std::vector<NoteEvent> all = eventsOf(notes);
    ProfileAnalyser live(Tpq);
    std::vector<NoteEvent> soFar;
    for (std::size_t i = 0; i < all.size(); i += 7) {
        soFar.insert(soFar.end(), all.begin() + std::ptrdiff_t(i), all.begin() + std::ptrdiff_t(std::min(i + 7, all.size())));
        live.update(soFar);
        (void)live.analysis(Bar);
    }
    const ProfileAnalysis whole = analyseProfile(all, Tpq, Bar), stepwise = live.analysis(Bar);
    EXPECT_EQ(stepwise.keyCode, whole.keyCode);
    EXPECT_EQ(stepwise.windowKeys, whole.windowKeys);
    EXPECT_EQ(stepwise.confidence, whole.confidence);
}

TEST(ProfileAnalysis, NothingToAnalyse)
{
    const std::vector<NoteEvent> cases[] = {
        {},
        {{0, 60, 0, false, 0, 2}, {480, 62, 0, false, 0, 2}},  // note-offs alone
        {{480, 60, 90, true, 0, 2}},                            // a note-on and nothing after it
        {{0, 60, 90, true, 0, 2}, {0, 60, 0, false, 0, 2}},     // a note of no length
    };
    for (const auto &events : cases) {
        const ProfileAnalysis a = analyseProfile(events, Tpq, Bar);
        EXPECT_EQ(a.keyCode, NoKey);
        EXPECT_EQ(a.confidence, 0);
        EXPECT_TRUE(a.candidates.empty() && a.regions.empty() && a.windowKeys.empty() && a.bars.empty());
    }
    // The longest possible file with a tick of 1 per quarter: windows and bars stay bounded.
    const std::vector<NoteEvent> far = {{0, 60, 90, true, 0, 2}, {INT32_MAX, 60, 0, false, 0, 2}};
    const ProfileAnalysis a = analyseProfile(far, 1, 1);
    EXPECT_LE(a.windowKeys.size(), KeyWorkspace::MaxWindows);
    EXPECT_EQ(a.bars.size(), std::size_t(MaxBars));
    EXPECT_EQ(a.lastBar, INT32_MAX); // its changes reach every bar, window by window
    EXPECT_EQ(a.barChanges.size(), 1u); // windows this long do not flip the key one by one
    EXPECT_EQ(tonicOf(a.keyCode), 0);
}

// The local keys' rate comes from the piece: one key held gets a slow rate and no change; keys
// changing every eight bars get a faster one, and the bars follow them.
TEST(ProfileAnalysis, LocalKeysTakeTheRateOfThePiece)
{
    const ProfileAnalysis held = analyseProfile(eventsOf(sections({{0, 64}})), Tpq, Bar);
    EXPECT_LE(held.changeRate, 1.0 / 256);
    EXPECT_EQ(barKeys(held), repeated({{160, 64}}));

    const ProfileAnalysis moving = analyseProfile(eventsOf(sections({{0, 8}, {7, 8}, {2, 8}, {9, 8}, {0, 8}})), Tpq, Bar);
    EXPECT_GT(moving.changeRate, held.changeRate);
    EXPECT_EQ(barKeys(moving), repeated({{160, 8}, {167, 8}, {162, 8}, {169, 8}, {160, 8}}));

    // The bar keys' changes are those of the bars, for bars shorter than a window (stepped
    // over), not lined up with the windows, or longer.
    for (std::int64_t ticksPerBar : {Tpq / 3, 3 * Tpq / 2, 5 * Tpq}) {
        const ProfileAnalysis a = analyseProfile(eventsOf(sections({{0, 8}, {7, 8}, {2, 8}, {9, 8}, {0, 8}})), Tpq, ticksPerBar);
        std::vector<BarKey> changes;
        std::copy_if(a.bars.begin(), a.bars.end(), std::back_inserter(changes),
                     [&](const BarKey &b) { return changes.empty() || changes.back().keyCode != b.keyCode; });
        EXPECT_TRUE(a.barChanges == changes && a.lastBar == a.bars.back().bar) << ticksPerBar;
    }
}

// Key changes weighed by relation: each row keeps its stay and shares the rest by the weights
// of the relations (C major to its relative A minor three times as likely as to G major); the
// likelihood of one window is the mean of its emissions over the keys.
TEST(KeyHmm, ChangesByRelationAndLikelihood)
{
    ChangeWeights weights;
    for (KeyScores &mode : weights)
        mode.fill(1.0);
    weights[0][7] = 2;       // from major: a fifth up, same mode
    weights[0][12 + 9] = 6;  // from major: the relative minor
    const KeyTransitions t = keyTransitions(0.9, weights);
    for (std::size_t from = 0; from < 24; ++from) {
        double sum = 0;
        for (double p : t.probability[from])
            sum += p;
        EXPECT_NEAR(sum, 1.0, 1e-12);
        EXPECT_DOUBLE_EQ(t.probability[from][from], 0.9);
    }
    const auto c = std::size_t(keyIndex(160)), g = std::size_t(keyIndex(167)), a = std::size_t(keyIndex(69));
    EXPECT_NEAR(t.probability[c][a], 3 * t.probability[c][g], 1e-12);
    EXPECT_NEAR(t.probability[c][a], 0.1 * 6 / (21 + 2 + 6), 1e-12);

    KeyScores e{};
    e[c] = std::log(24.0);
    EXPECT_NEAR(logLikelihood(likelihoods({e}, KeyScores{}), t), std::log(47.0 / 24), 1e-6);
}

// The key a play shows at a tick: the region holding it, its window's confidence, where the
// key began and the bar whose start is nearest that; past the last event the last key, marked
// so. Bars of 4 windows: G major from tick 250 is shown from bar 2 (its start, 400, is nearer
// than bar 1's, 0), as the key map's bars count it.
TEST(ProfileAnalysis, LocalKeyAtAPlayPosition)
{
    ProfileAnalysis a;
    a.windowTicks = 100;
    a.windowKeys = {160, 160, 167, 167, 167, 160};
    a.windowConfidences = {0.9f, 0.8f, 0.6f, 0.7f, 0.75f, 0.5f};
    a.regions = {{0, 250, 160}, {250, 500, 167}, {500, 560, 160}};
    a.ticksPerBar = 400;
    const struct {
        std::int64_t tick;
        LocalKeyAt at;
    } cases[] = {
        {-5, {160, 0.9, 0, 1, false}},
        {0, {160, 0.9, 0, 1, false}},
        {249, {160, 0.6, 0, 1, false}},
        {250, {167, 0.6, 250, 2, false}},
        {499, {167, 0.75, 250, 2, false}},
        {520, {160, 0.5, 500, 2, false}},
        {560, {160, 0.5, 500, 2, true}},
        {100000, {160, 0.5, 500, 2, true}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tick);
        const LocalKeyAt at = localKeyAt(a, c.tick);
        EXPECT_EQ(at.keyCode, c.at.keyCode);
        EXPECT_FLOAT_EQ(float(at.confidence), float(c.at.confidence));
        EXPECT_EQ(at.startTick, c.at.startTick);
        EXPECT_EQ(at.startBar, c.at.startBar);
        EXPECT_EQ(at.beyond, c.at.beyond);
    }
    EXPECT_EQ(localKeyAt(ProfileAnalysis{}, 0).keyCode, NoKey);
    // A bar's confidence: its windows in the bar's key, by the time they cover.
    EXPECT_NEAR(barConfidence(a, {1, 160}), (0.9 + 0.8) / 2, 1e-6);
    EXPECT_NEAR(barConfidence(a, {1, 167}), (0.6 + 0.7) / 2, 1e-6);
    EXPECT_NEAR(barConfidence(a, {2, 167}), 0.75, 1e-6);
    EXPECT_EQ(barConfidence(a, {3, 160}), 0);
}
