// The chords found in passages written note by note: which chord, where its segment starts
// and ends, its bass and its numeral, on beats off the grid of tick 0, and in the example
// that modulates; and the chord heard in the last second while listening.
#include "core/analysis/fileanalysis.h"
#include "core/chords/chordanalysis.h"
#include "core/chords/chordtones.h"
#include "core/chords/keysandchords.h"
#include "core/chords/livechord.h"
#include "core/harmony/romannumeral.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "noteevents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace tunedeck;
using namespace tunedeck::chords;
using namespace tunedeck::harmony;

namespace {

constexpr int Tpq = 480;
constexpr int Bar = 4 * Tpq;

using tunedeck::testnotes::Note;
using tunedeck::testnotes::eventsOf;

// A chord held from start for length: the bass, then the tones an octave and more above.
void chord(std::vector<Note> &notes, std::int32_t start, std::int32_t length, int bass, std::initializer_list<int> tones)
{
    notes.push_back({start, length, bass});
    for (int t : tones)
        notes.push_back({start, length, t});
}

// I IV V7 I in C, a bar each, twice, from `at`.
std::vector<Note> cadences(std::int32_t at = 0)
{
    std::vector<Note> notes;
    for (int round = 0; round < 2; ++round) {
        const std::int32_t s = at + round * 4 * Bar;
        chord(notes, s, Bar, 36, {60, 64, 67});
        chord(notes, s + Bar, Bar, 41, {60, 65, 69});
        chord(notes, s + 2 * Bar, Bar, 43, {59, 62, 65, 67});
        chord(notes, s + 3 * Bar, Bar, 36, {60, 64, 67});
    }
    return notes;
}

std::vector<ChordSegment> analyse(const std::vector<Note> &notes)
{
    const std::vector<NoteEvent> events = eventsOf(notes);
    const profile::ProfileAnalysis keys = profile::analyseProfile(events, Tpq, Bar);
    return analyseChords(events, {Tpq, Bar, 1.0}, keys);
}

std::vector<std::string> labels(const std::vector<ChordSegment> &segments)
{
    std::vector<std::string> out;
    for (const ChordSegment &s : segments)
        out.push_back(harteLabel(s.chord, s.keyCode));
    return out;
}

TEST(ChordAnalysis, FindsACadenceAndNamesItsFunctions)
{
    const std::vector<ChordSegment> s = analyse(cadences());
    // The two rounds meet on C: the last I of the first and the first of the second are one.
    const std::vector<std::string> expected = {"C:maj", "F:maj", "G:7", "C:maj", "F:maj", "G:7", "C:maj"};
    ASSERT_EQ(labels(s), expected);
    EXPECT_EQ(romanNumeral(s[2].chord, s[2].keyCode), "V7");
    EXPECT_EQ(s[2].keyCode, MajorBase);
    EXPECT_EQ(s[2].tick, 2 * Bar);
    EXPECT_EQ(s[2].endTick, 3 * Bar);
    EXPECT_EQ(s[3].tick, 3 * Bar);
    EXPECT_EQ(s[3].endTick, 5 * Bar);
    EXPECT_EQ(s.back().endTick, 8 * Bar);
    for (const ChordSegment &seg : s)
        EXPECT_GT(seg.confidence, 0.5) << harteLabel(seg.chord);
}

TEST(ChordAnalysis, KeepsTheBassOfAnInversionAndAChordAcrossTheBarLine)
{
    std::vector<Note> notes;
    chord(notes, 0, Bar, 36, {60, 64, 67});             // C
    chord(notes, Bar, Bar, 40, {60, 64, 67});           // C/E: the same chord, its third in the bass
    chord(notes, 2 * Bar, Bar / 2, 43, {59, 62, 67});   // G for two beats
    chord(notes, 2 * Bar + Bar / 2, Bar, 41, {60, 65, 69}); // F from beat 3, held over the bar line
    chord(notes, 3 * Bar + Bar / 2, Bar / 2, 36, {60, 64, 67});
    const std::vector<ChordSegment> s = analyse(notes);
    const std::vector<std::string> expected = {"C:maj", "C:maj/3", "G:maj", "F:maj", "C:maj"};
    ASSERT_EQ(labels(s), expected);
    EXPECT_EQ(chordSymbol(s[1].chord, s[1].keyCode), "C/E");
    EXPECT_EQ(romanNumeral(s[1].chord, s[1].keyCode), "I6");
    // F is one segment from bar 3 beat 3 to bar 4 beat 3.
    EXPECT_EQ(s[3].tick, 2 * Bar + Bar / 2);
    EXPECT_EQ(s[3].endTick, 3 * Bar + Bar / 2);
    EXPECT_EQ(s[3].bar, 3);
    EXPECT_DOUBLE_EQ(s[3].beat, 3);
    EXPECT_EQ(s[3].ms, 2 * Bar + Bar / 2); // a millisecond a tick here
}

TEST(ChordAnalysis, FollowsBeatsOffTheGridOfTickZeroAndIgnoresDrums)
{
    // Everything 200 ticks late, with drums on channel 10 hitting between the beats.
    std::vector<Note> notes = cadences(200);
    for (std::int32_t t = 0; t < 8 * Bar; t += Tpq)
        notes.push_back({t + 100, 60, 61, 9});
    const std::vector<ChordSegment> s = analyse(notes);
    // The silence before the first beat is no chord; the drums in it are nothing.
    std::vector<std::string> expected = {"N", "C:maj", "F:maj", "G:7", "C:maj", "F:maj", "G:7", "C:maj"};
    ASSERT_EQ(labels(s), expected);
    EXPECT_EQ(s[0].tick, 0);
    EXPECT_EQ(s[1].tick, 200);
    EXPECT_EQ(s[2].tick, 200 + Bar);
    EXPECT_EQ(s[3].tick, 200 + 2 * Bar);
    EXPECT_EQ(s[3].bar, 3);
    EXPECT_NEAR(s[3].beat, 1 + 200.0 / Tpq, 1e-9);
    // The lookup every front end uses: inside a segment, at its end, before and after all.
    EXPECT_EQ(chordAt(s, 200 + 2 * Bar + 10), &s[3]);
    EXPECT_EQ(chordAt(s, 200 + 3 * Bar), &s[4]);
    EXPECT_EQ(chordAt(s, -1), nullptr);
    EXPECT_EQ(chordAt(s, s.back().endTick), nullptr);
}

TEST(ChordAnalysis, StartsAChordOffTheBeatWhereTheHarmonyMovesThere)
{
    std::vector<Note> notes = cadences();
    // In the second bar, G7 takes over half a beat before the third beat, and the bass says so.
    std::erase_if(notes, [](const Note &n) { return n.start == Bar; });
    chord(notes, Bar, 3 * Tpq / 2, 41, {60, 65, 69});
    chord(notes, Bar + 3 * Tpq / 2, 5 * Tpq / 2, 43, {59, 62, 65, 67});
    const std::vector<ChordSegment> s = analyse(notes);
    ASSERT_GE(s.size(), 3u);
    EXPECT_EQ(harteLabel(s[2].chord), "G:7");
    EXPECT_EQ(s[2].tick, Bar + 3 * Tpq / 2);
    EXPECT_DOUBLE_EQ(s[2].beat, 2.5);
}

TEST(ChordAnalysis, SaysNoChordWhereNothingSoundsAndNothingWithoutNotes)
{
    std::vector<Note> notes;
    chord(notes, 0, Bar, 36, {60, 64, 67});
    chord(notes, 3 * Bar, Bar, 43, {59, 62, 65, 67});
    const std::vector<std::string> expected = {"C:maj", "N", "G:7"};
    EXPECT_EQ(labels(analyse(notes)), expected);
    EXPECT_TRUE(analyse({}).empty());
    EXPECT_TRUE(analyse({{0, Bar, 38, 9}}).empty()); // drums alone
}

// Where only a root and its fifth sound, the chord says so; a third anywhere in the segment,
// even a passing one, keeps the triad the model found.
TEST(ChordAnalysis, NamesAPowerChordOnlyWhereNoThirdSounds)
{
    std::vector<Note> fifths, passingThird;
    for (std::vector<Note> *notes : {&fifths, &passingThird}) {
        chord(*notes, 0, 2 * Bar, 36, {43, 48, 55});
        chord(*notes, 2 * Bar, 2 * Bar, 31, {38, 43, 50});
    }
    passingThird.push_back({Tpq / 2, Tpq / 2, 64});
    EXPECT_EQ(labels(analyse(fifths)), (std::vector<std::string>{"C:(1,5)", "G:(1,5)"}));
    EXPECT_EQ(labels(analyse(passingThird)), (std::vector<std::string>{"C:maj", "G:(1,5)"}));
}

struct PowerCase {
    const char *name;
    Chord found;
    std::vector<std::pair<int, double>> sounding; // pitch class, time
    double share;
    Chord named;
};

TEST(ChordTones, APowerChordIsARootAndFifthWithoutAThird)
{
    const Chord cMajor{0, Quality::Major, 0}, cPower{0, Quality::Power, 0};
    const PowerCase cases[] = {
        {"root and fifth alone", cMajor, {{0, 4}, {7, 4}}, 1, cPower},
        {"a minor triad's root and fifth", {0, Quality::Minor, 0}, {{0, 4}, {7, 4}}, 1, cPower},
        {"the fifth in the bass", {0, Quality::Major, 7}, {{0, 4}, {7, 4}}, 1, {0, Quality::Power, 7}},
        {"a moment of the major third", cMajor, {{0, 4}, {7, 4}, {4, 0.1}}, 1, cMajor},
        {"a moment of the minor third", cMajor, {{0, 4}, {7, 4}, {3, 0.1}}, 1, cMajor},
        {"no fifth", cMajor, {{0, 4}}, 1, cMajor},
        {"a second beside them, all asked", cMajor, {{0, 4}, {7, 4}, {2, 2}}, 1, cMajor},
        {"a second beside them, most asked", cMajor, {{0, 4}, {7, 4}, {2, 2}}, 0.75, cPower},
        {"a sus2 stays", {0, Quality::Sus2, 0}, {{0, 4}, {7, 4}, {2, 2}}, 0.5, {0, Quality::Sus2, 0}},
        {"no chord stays", {}, {{0, 4}, {7, 4}}, 1, {}},
    };
    for (const PowerCase &c : cases) {
        std::array<double, 12> sounding{};
        for (const auto &[pc, time] : c.sounding)
            sounding[std::size_t(pc)] = time;
        EXPECT_EQ(powerChord(c.found, sounding, c.share), c.named) << c.name;
    }
    std::array<double, 12> g7{};
    g7[7] = g7[11] = g7[2] = g7[5] = 1;
    g7[0] = 1; // a passing C
    EXPECT_DOUBLE_EQ(toneShare({7, Quality::Dominant7, 0}, g7), 0.8);
}

// Voices each playing notes of a length through the given pitch classes for eight bars.
std::vector<Note> moving(int voices, std::int32_t length, const std::vector<int> &pitchClasses)
{
    std::vector<Note> notes;
    for (int v = 0; v < voices; ++v)
        for (std::int32_t i = 0; i < 8 * Bar / length; ++i)
            notes.push_back({i * length, length, 48 + 12 * v + pitchClasses[std::size_t(i + 3 * v) % pitchClasses.size()]});
    return notes;
}

TEST(Texture, TellsTunesBlockChordsAndMovingVoicesApart)
{
    std::vector<Note> block;
    for (int b = 0; b < 8; ++b)
        chord(block, b * Bar, Bar, 36 + (b % 2) * 7, {60, 64, 67});
    const std::vector<int> scale = {0, 2, 4, 5, 7, 9, 11}, chromatic = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    const struct {
        const char *name;
        std::vector<Note> notes;
        Texture texture;
    } cases[] = {
        {"a tune", moving(1, Tpq / 2, scale), Texture::Thin},
        {"block chords", block, Texture::Block},
        {"voices moving in the scale", moving(4, Tpq / 2, scale), Texture::Diatonic},
        {"voices moving off it in quarters", moving(4, Tpq, chromatic), Texture::Chromatic},
        {"voices moving off it in eighths", moving(4, Tpq / 2, chromatic), Texture::Figured},
    };
    for (const auto &c : cases)
        EXPECT_EQ(chordFrames(eventsOf(c.notes), Tpq).texture, c.texture) << c.name;
}

// Each texture's key weight: the figured accompaniment's own, the chromatic voices' own, and
// every other texture the general one; without the figured settings a figured piece reads as
// any other, not as chromatic voices.
TEST(ChordOptions, EachTextureTakesItsOwnKeyWeight)
{
    ChordOptions options;
    options.keyWeight = 0.1;
    options.chromaticKeyWeight = 0.2;
    options.figured->keyWeight = 0.3;
    ChordOptions plain = options;
    plain.figured.reset();
    const struct {
        Texture texture;
        double withFigured;
        double withoutFigured;
    } cases[] = {
        {Texture::Thin, 0.1, 0.1},
        {Texture::Block, 0.1, 0.1},
        {Texture::Diatonic, 0.1, 0.1},
        {Texture::Chromatic, 0.2, 0.2},
        {Texture::Figured, 0.3, 0.1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(forTexture(options, c.texture).keyWeight, c.withFigured) << int(c.texture);
        EXPECT_EQ(forTexture(plain, c.texture).keyWeight, c.withoutFigured) << int(c.texture);
    }
}

// The example that modulates: its piano's G7 in each C section and D7 in the G section, each
// the dominant seventh of its key.
TEST(ChordAnalysis, ChartsTheExampleThatModulates)
{
    LinkedTonalyte engine;
    const FileAnalysis a = analysePath(engine, TUNEDECK_TEST_EXAMPLES "/twinkle-modulating.mid", {});
    ASSERT_FALSE(a.chords.empty());
    auto inBar = [&](std::int64_t bar, const std::string &label) {
        return std::any_of(a.chords.begin(), a.chords.end(), [&](const ChordSegment &s) {
            return s.bar == bar && harteLabel(s.chord, s.keyCode) == label && romanNumeral(s.chord, s.keyCode) == "V7";
        });
    };
    for (int bar : {4, 12, 28, 36})
        EXPECT_TRUE(inBar(bar, "G:7")) << bar;
    for (int bar : {16, 24})
        EXPECT_TRUE(inBar(bar, "D:7")) << bar;
    EXPECT_FALSE(std::any_of(a.chords.begin(), a.chords.end(), [](const ChordSegment &s) {
        return s.bar >= 13 && s.bar <= 24 && s.keyCode != MajorBase + 7;
    }));
}

// Another model of the local keys is asked for only where installed: without one (the page,
// the window) the profile analysis' keys stand; with one, its keys and chords are the answer.
TEST(KeysAndChords, TheInstalledModelGivesTheLocalKeysWhereAskedFor)
{
    const std::vector<NoteEvent> events = eventsOf(cadences());
    const ChordClock clock{Tpq, Bar, 1.0};
    installLocalKeyModel(nullptr);
    const KeysAndChords present = analyseKeysAndChords(events, clock, {}, true);
    EXPECT_EQ(labels(present.chords), labels(analyse(cadences())));
    static int calls = 0;
    installLocalKeyModel([](const std::vector<NoteEvent> &, const ChordClock &, profile::ProfileAnalysis &keys) {
        ++calls;
        keys.keyCode = MinorBase;
        return std::vector<ChordSegment>(1);
    });
    const KeysAndChords plain = analyseKeysAndChords(events, clock, {}, false);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(plain.keys.keyCode, present.keys.keyCode);
    const KeysAndChords modelled = analyseKeysAndChords(events, clock, {}, true);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(modelled.keys.keyCode, MinorBase);
    EXPECT_EQ(modelled.chords.size(), 1u);
    // Without the chords asked for, the model still sets the keys.
    EXPECT_TRUE(analyseKeysAndChords(events, clock, {}, true, false).chords.empty());
    EXPECT_EQ(calls, 2);
    installLocalKeyModel(nullptr);
}

TEST(LiveChord, NamesTheNotesOfTheLastSecond)
{
    LiveChord live;
    auto play = [&](std::int64_t ms, int pitch, bool on, int channel = 0) {
        live.note(ms, {0, std::uint8_t(pitch), std::uint8_t(on ? 90 : 0), on, std::uint8_t(channel), 2});
    };
    for (int p : {48, 64, 67, 72})
        play(0, p, true);
    play(200, 42, true, 9); // a drum, never a chord tone
    EXPECT_EQ(harteLabel(live.chordAt(1000)), "C:maj");
    for (int p : {48, 64, 67, 72})
        play(1500, p, false);
    for (int p : {43, 59, 62, 65})
        play(1500, p, true);
    EXPECT_EQ(harteLabel(live.chordAt(2500)), "G:7");
    for (int p : {43, 59, 62, 65})
        play(3000, p, false);
    EXPECT_TRUE(live.chordAt(4500).none());
}

} // namespace
