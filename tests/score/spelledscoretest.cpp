// A score's keys and chords named as the score spells them, in every name the run's JSON
// writes and every other output of our own analyses; the MIDI file the same score makes
// keeps the program's own names.
#include "scoretext.h"

#include "core/analysis/analysisjson.h"
#include "core/analysis/chordoutput.h"
#include "core/analysis/fileanalysis.h"
#include "core/batch/resultrow.h"
#include "core/fastdetect/openfile.h"
#include "core/harmony/romannumeral.h"
#include "core/keymap/keymaprows.h"
#include "core/pianoroll/keyshares.h"
#include "core/pianoroll/rollsources.h"
#include "core/playback/playkeys.h"
#include "core/reports/analysistext.h"
#include "core/score/scoremidi.h"
#include "core/score/scorereader.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace tunedeck::score {
namespace {

// A note spelled on a letter (0 = C .. 6 = B) with its alteration, in an octave.
struct Tone {
    int letter;
    int alter;
    int octave;
};

constexpr int LetterPitch[7] = {0, 2, 4, 5, 7, 9, 11};

// The tone `steps` letters and `semitones` above.
Tone above(const Tone &t, int steps, int semitones)
{
    const int letter = (t.letter + steps) % 7, octave = t.octave + (t.letter + steps) / 7;
    const int from = LetterPitch[t.letter] + t.alter + 12 * t.octave;
    return {letter, from + semitones - LetterPitch[letter] - 12 * octave, octave};
}

std::string text(const Tone &t)
{
    return std::string(1, "CDEFGAB"[t.letter]) + std::string(std::size_t(std::max(t.alter, 0)), '#')
           + std::string(std::size_t(std::max(-t.alter, 0)), 'b') + std::to_string(t.octave);
}

// A bar holding one chord as a whole note: the bass an octave down, the tones above it
// (letters and semitones above the tonic).
std::string bar(const Tone &tonic, std::initializer_list<std::pair<int, int>> tones)
{
    std::string notes;
    bool first = true;
    const Tone low{tonic.letter, tonic.alter, tonic.octave - 1};
    for (const auto &[steps, semitones] : tones) {
        notes += test::note(text(above(first ? low : tonic, steps, semitones)), 4, first ? "" : "<chord/>");
        first = false;
    }
    return notes;
}

// Cadences in the key, four times over: I IV ii7 V7 I V7 I I in major, the same on the
// minor degrees with iiø7 and a raised leading tone.
std::string cadences(const Tone &tonic, bool minor, int fifths)
{
    const int third = minor ? 3 : 4, sixth = minor ? 8 : 9;
    const std::string one = bar(tonic, {{0, 0}, {2, third}, {4, 7}, {7, 12}});
    const std::string five = bar(tonic, {{4, 7}, {6, 11}, {8, 14}, {10, 17}});
    const std::string phrase[] = {one, bar(tonic, {{3, 5}, {5, sixth}, {7, 12}, {10, 17}}),
                                  bar(tonic, {{1, 2}, {3, 5}, {5, sixth}, {7, 12}}), five, one, five, one, one};
    std::string measures;
    for (int number = 1; number <= 32; ++number) {
        const std::string attributes = number == 1 ? "<attributes><divisions>1</divisions><key><fifths>"
                                                         + std::to_string(fifths) + "</fifths></key></attributes>"
                                                   : "";
        measures += "<measure number=\"" + std::to_string(number) + "\">" + attributes + phrase[(number - 1) % 8]
                    + "</measure>";
    }
    return test::onePart(measures);
}

std::set<std::string> values(const nlohmann::json &chords, const char *field)
{
    std::set<std::string> found;
    for (const auto &c : chords)
        found.insert(c[field].get<std::string>());
    return found;
}

struct Case {
    const char *what;
    Tone tonic;
    bool minor;
    int fifths;
    const char *key;
    std::vector<std::string> symbols;
    std::vector<std::string> labels;
};

TEST(SpelledScore, KeysAndChordsFollowTheScore)
{
    const Case cases[] = {
        {"five flats", {1, -1, 4}, false, -5, "Db major", {"Db", "Gb", "Ebm7", "Ab7"}, {"Gb:maj", "Eb:min7", "Ab:7"}},
        {"six flats, major", {4, -1, 4}, false, -6, "Gb major", {"Gb", "Cb", "Abm7", "Db7"}, {"Cb:maj", "Ab:min7"}},
        {"six flats, minor", {2, -1, 4}, true, -6, "Eb minor", {"Ebm", "Abm", "Bb7"}, {"Eb:min", "Ab:min", "Bb:7"}},
        {"six sharps, major", {3, 1, 4}, false, 6, "F# major", {"F#", "B", "G#m7", "C#7"}, {"B:maj", "G#:min7"}},
        {"six sharps, minor", {1, 1, 4}, true, 6, "D# minor", {"D#m", "G#m", "A#7"}, {"D#:min", "G#:min", "A#:7"}},
        {"seven sharps", {0, 1, 4}, false, 7, "C# major", {"C#", "F#", "D#m7", "G#7"}, {"F#:maj", "D#:min7"}},
        {"seven flats", {0, -1, 5}, false, -7, "Cb major", {"Cb", "Fb", "Dbm7", "Gb7"}, {"Fb:maj", "Db:min7"}},
    };
    LinkedTonalyte engine;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const FileAnalysis a = analyseBytes(engine, cadences(c.tonic, c.minor, c.fifths), {});
        ASSERT_TRUE(a.profile);
        const nlohmann::json o = analysisJson(a);
        const nlohmann::json &p = o["profileAnalysis"];
        EXPECT_EQ(p["key"], c.key);
        EXPECT_EQ(p["localKeyChanges"][0]["key"], c.key);
        EXPECT_EQ(p["localKeys"][0]["key"], c.key);
        const std::set<std::string> symbols = values(o["chords"], "symbol"), labels = values(o["chords"], "label"),
                                    keys = values(o["chords"], "key");
        for (const std::string &s : c.symbols)
            EXPECT_TRUE(symbols.count(s)) << s;
        for (const std::string &l : c.labels)
            EXPECT_TRUE(labels.count(l)) << l;
        EXPECT_TRUE(keys.count(c.key));
    }
}

TEST(SpelledScore, TheMidiFileOfTheScoreKeepsTheProgramsNames)
{
    // Six flats: the score says Gb major, its MIDI file the program's F# major with sharp roots.
    const std::string score = cadences({4, -1, 4}, false, -6);
    LinkedTonalyte engine;
    const nlohmann::json o = analysisJson(analyseBytes(engine, midiBytes(*readScore(score, {})), {}));
    EXPECT_EQ(o["profileAnalysis"]["key"], "F# major");
    EXPECT_TRUE(values(o["chords"], "symbol").count("B"));
    EXPECT_FALSE(values(o["chords"], "symbol").count("Cb"));
}

// What an output shows of the analysis of a file (the score, or its MIDI file).
using Output = std::function<std::string(const FileAnalysis &, const OpenFile &)>;

std::string profileKeyCell(const FileAnalysis &a, const OpenFile &)
{
    for (const batch::Column &c : batch::Columns)
        if (c.name == "profileKey")
            return std::get<std::string>(c.value(batch::resultRow(a, labelTexts(a), "x"), Notation::Standard));
    return {};
}

// A play at 120 quarters a minute, in bar 2 (IV): the key line, the chord of the moment.
std::string playTexts(const FileAnalysis &, const OpenFile &file)
{
    const std::optional<PlayKeys> keys = PlayKeys::of(file, {});
    const ShownChord chord = keys->chordAt(2500, {});
    const std::string key = text::shownKey(keys->at(2500, {}), Notation::Standard);
    return key.substr(0, key.find(',')) + " | " + harmony::chordInKey(chord.chord, chord.keyCode, chord.written);
}

// The window's chord lane, the profile analysis' bars and its row of the key map.
std::string laneBarsAndMap(const FileAnalysis &a, const OpenFile &)
{
    const SpelledNames names = spelledNames(a);
    const std::vector<RollChord> lane = rollChords(a.chords, 1.0);
    const std::vector<KeyShare> bars = sharesOfCandidates(a.profile->candidates, names);
    const KeyMapData map = fastKeyMap(a.run.reports.timing, *a.profile, a.run.feed.lastBar, &names);
    const KeyMapSegment &mapped = map.rows[1].segments[0];
    return harmony::chordSymbol(lane[1].chord, lane[1].keyCode, lane[1].written) + " | " + bars[0].label + " | "
           + shortWrittenKeyName(mapped.keyCode, mapped.keyFifths);
}

TEST(SpelledScore, EveryOutputOfOurAnalysesFollowsTheScore)
{
    // Six flats, Gb major: bar 2 is IV, Cb; its MIDI file is the program's F# major, with B.
    struct Row {
        const char *what;
        Output output;
        std::string score, midi;
    };
    const Row rows[] = {
        {"the text's profile line", [](const FileAnalysis &a, const OpenFile &) { return formatText(a, labelTexts(a), true); },
         "  Profile analysis  Gb major, ", "  Profile analysis  F# major, "},
        {"the text's local keys", [](const FileAnalysis &a, const OpenFile &) {
             const SpelledNames names = spelledNames(a);
             return text::localKeyChanges(*a.profile, &names);
         },
         "0001: Gb major", "0001: F# major"},
        {"the chord chart", [](const FileAnalysis &a, const OpenFile &) { return chordChartText(a.chords, a.bars); },
         "0001: [Gb major] Gb\n                    0002: Cb\n", "0001: [F# major] F#\n                    0002: B\n"},
        {"the chords' CSV", [](const FileAnalysis &a, const OpenFile &) { return chordCsvRows("x", a.chords); },
         "x,2,1,2000,Cb,Cb:maj,IV,Gb major,", "x,2,1,2000,B,B:maj,IV,F# major,"},
        {"the table's profile key", profileKeyCell, "Gb major", "F# major"},
        {"a play's key and chord", playTexts, "Gb major from bar 1 | Cb \u2014 IV of Gb major",
         "F# major from bar 1 | B \u2014 IV of F# major"},
        {"the chord lane, the key bars and the key map", laneBarsAndMap, "Cb | Gb major | Gb", "B | F# major | F#"},
    };
    const std::string score = cadences({4, -1, 4}, false, -6);
    const std::string files[] = {score, midiBytes(*readScore(score, {}))};
    LinkedTonalyte engine;
    for (int f = 0; f < 2; ++f) {
        OpenFile file;
        ASSERT_TRUE(file.openBytes(files[f]));
        AnalysisChoices choices;
        choices.withChords = true;
        const FileAnalysis a = analyseFile(engine, file, choices);
        ASSERT_TRUE(a.profile);
        for (const Row &r : rows) {
            SCOPED_TRACE(std::string(r.what) + (f ? ", MIDI file" : ", score"));
            EXPECT_NE(r.output(a, file).find(f ? r.midi : r.score), std::string::npos) << r.output(a, file);
        }
    }
}

TEST(SpelledScore, ATransposedRunKeepsTheProgramsNames)
{
    // Its notes no longer sound as the score writes them.
    AnalysisChoices choices;
    choices.fast.adjust.transpose = 1;
    LinkedTonalyte engine;
    const FileAnalysis a = analyseBytes(engine, cadences({4, -1, 4}, false, -6), choices);
    EXPECT_EQ(a.spelling, nullptr);
    EXPECT_EQ(analysisJson(a)["profileAnalysis"]["key"], "G major");
}

TEST(SpelledScore, OnlyAScoreCarriesASpelling)
{
    const std::string score = cadences({1, -1, 4}, false, -5);
    OpenFile file;
    ASSERT_TRUE(file.openBytes(score));
    ASSERT_NE(file.spelling(), nullptr);
    EXPECT_EQ(file.spelling()->signatures.size(), 1u);
    EXPECT_EQ(file.spelling()->notes.size(), 32u * 4u);
    ASSERT_TRUE(file.openBytes(midiBytes(*readScore(score, {}))));
    EXPECT_EQ(file.spelling(), nullptr);
}

} // namespace
} // namespace tunedeck::score
