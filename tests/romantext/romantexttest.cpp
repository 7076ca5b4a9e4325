// The analysis written as RomanText: where ticks land in printed measures and beats, the
// text of a document, and every document read back to the keys and numerals the analysis
// found at the same measures and beats (the examples, and the shared scores when present).
#include "romantextreader.h"

#include "core/harmony/romannumeral.h"
#include "core/romantext/romantext.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace tunedeck::romantext {
namespace {

namespace fs = std::filesystem;

score::ScoreLayout layout(std::vector<score::Measure> measures, std::vector<score::TimeSignature> times = {},
                          bool pickup = false)
{
    return {"", "", std::move(measures), std::move(times), pickup};
}

struct PlaceCase {
    const char *what;
    score::ScoreLayout layout;
    std::int64_t tick;
    std::int64_t measure;
    double beat;
    std::size_t line;
};

TEST(RomanPlaces, ScoreMeasuresAsPrinted)
{
    const std::vector<score::TimeSignature> sixEight{{0, 6, 8}};
    const PlaceCase cases[] = {
        {"a pickup numbered 0", layout({{"0", 0, 480, true}, {"1", 480, 1920}}, {}, true), 0, 0, 4, 0},
        {"the bar after it", layout({{"0", 0, 480, true}, {"1", 480, 1920}}, {}, true), 1440, 1, 3, 1},
        {"a pickup numbered 1", layout({{"1", 0, 480}, {"2", 480, 1920}}, {}, true), 480, 1, 1, 1},
        {"a split bar's second half", layout({{"4", 0, 1440}, {"4a", 1440, 480}, {"5", 1920, 1920}}), 1440, 4, 4, 0},
        {"after a split bar", layout({{"4", 0, 1440}, {"4a", 1440, 480}, {"5", 1920, 1920}}), 1920, 5, 1, 1},
        {"an unnumbered half", layout({{"19", 0, 960}, {"X1", 960, 960, true}, {"20", 1920, 1920}}), 1200, 19, 3.5, 0},
        {"6/8, an eighth after the second beat", layout({{"1", 0, 1440}}, sixEight), 960, 1, 2 + 1.0 / 3, 0},
        {"6/8 pickup of an eighth", layout({{"0", 0, 240, true}, {"1", 240, 1440}}, sixEight, true), 0, 0, 1 + 5.0 / 3, 0},
        {"3/8 is one beat", layout({{"1", 0, 720}}, {{0, 3, 8}}), 480, 1, 1 + 2.0 / 3, 0},
        {"2/2 counts halves", layout({{"1", 0, 1920}}, {{0, 2, 2}}), 1440, 1, 2.5, 0},
        {"a repeated number is a line of its own", layout({{"1", 0, 1920}, {"2", 1920, 1920}, {"1", 3840, 1920}}), 3840, 1, 1, 2},
    };
    for (const PlaceCase &c : cases) {
        SCOPED_TRACE(c.what);
        const Place p = MeasurePlaces(c.layout, 480).at(c.tick);
        EXPECT_EQ(p.measure, c.measure);
        EXPECT_NEAR(p.beat, c.beat, 1e-9);
        EXPECT_EQ(p.line, c.line);
    }
    const Place bar = MeasurePlaces(Meter{6, 8}, chords::ChordClock{480, 1440}).at(1440 + 720);
    EXPECT_EQ(bar.measure, 2);
    EXPECT_NEAR(bar.beat, 2, 1e-9);
}

TEST(RomanText, TheDocumentsText)
{
    RomanDocument doc{"J. S. Bach", "Chorale\nno. 1", {3, 4}, {}};
    doc.lines.push_back({std::nullopt, 0, {{3, "G", "I"}}});
    doc.lines.push_back({std::nullopt, 1, {{1, "", "V65"}, {1.5, "", "NC"}, {2 + 2.0 / 3, "e", "V7/iv"}}});
    doc.lines.push_back({Meter{6, 8}, 3, {{1 + 1.0 / 3, "Bb", "bVI"}, {2.25, "", "ii"}}});
    EXPECT_EQ(romanText(doc), "Composer: J. S. Bach\nTitle: Chorale no. 1\nAnalyst: " + analystName()
                                  + "\n\nTime Signature: 3/4\n\n"
                                    "m0 b3 G: I\nm1 V65 b1.5 NC b2.67 e: V7/iv\n"
                                    "Time Signature: 6/8\nm3 b1.33 Bb: bVI b2.25 ii\n");
}

// The key a tonic text names: its pitch class, and minor in lower case.
int keyCodeOfText(const std::string &text)
{
    static const int naturals[] = {9, 11, 0, 2, 4, 5, 7};
    if (text.empty())
        return NoKey;
    int pitch = naturals[std::toupper(static_cast<unsigned char>(text[0])) - 'A'];
    for (std::size_t i = 1; i < text.size(); ++i)
        pitch += text[i] == '#' ? 1 : -1;
    return keyCodeOf(pitch, std::islower(static_cast<unsigned char>(text[0])) != 0);
}

// The analysis' chords as written: numerals in their keys at their places, every one read back.
void expectReadBack(const FileAnalysis &a, const std::string &name)
{
    const test::ReadDocument read = test::readRomanText(romanText(a, name));
    EXPECT_TRUE(read.problems.empty()) << read.problems.front();
    EXPECT_EQ(read.header.at("Analyst"), analystName());
    const MeasurePlaces places = a.layout ? MeasurePlaces(*a.layout, a.file.ticksPerQuarter)
                                          : MeasurePlaces(Meter{4, 4}, a.bars);
    std::size_t n = 0;
    for (const chords::ChordSegment &s : a.chords) {
        const std::string numeral = s.chord.none() ? "NC" : harmony::romanNumeral(s.chord, s.keyCode);
        if (numeral.empty())
            continue;
        ASSERT_LT(n, read.chords.size());
        const test::ReadChord &c = read.chords[n++];
        EXPECT_EQ(c.numeral, numeral);
        if (!s.chord.none()) {
            EXPECT_EQ(keyCodeOfText(c.key), s.keyCode) << c.key;
        }
        const Place p = places.at(s.tick);
        EXPECT_EQ(c.measure, a.layout ? p.measure : s.bar);
        EXPECT_NEAR(c.beat, p.beat, 0.006);
        if (n > 1 && read.chords[n - 2].line == c.line) {
            EXPECT_LT(read.chords[n - 2].beat, c.beat) << "m" << c.measure;
        }
    }
    EXPECT_EQ(n, read.chords.size());
}

TEST(RomanText, TheExamplesReadBack)
{
    LinkedTonalyte engine;
    for (const char *file : {"ode-to-joy.mid", "greensleeves.mid", "twinkle-modulating.mid"}) {
        SCOPED_TRACE(file);
        const FileAnalysis a = analysePath(engine, std::string(TUNEDECK_TEST_EXAMPLES) + "/" + file, {});
        ASSERT_FALSE(a.chords.empty());
        expectReadBack(a, file);
        EXPECT_EQ(test::readRomanText(romanText(a, "x")).header.at("Title"), "x");
    }
}

TEST(RomanText, SharedScoresReadBack)
{
    const fs::path shared = fs::path(TUNEDECK_SHARED_DIR) / "scores";
    std::vector<fs::path> scores;
    for (const char *set : {"corpus-wir", "training-wir"})
        if (fs::is_directory(shared / set))
            for (const fs::directory_entry &e : fs::directory_iterator(shared / set))
                if (e.path().extension() == ".mxl")
                    scores.push_back(e.path());
    if (scores.empty())
        GTEST_SKIP() << "no shared scores at " << shared;
    std::sort(scores.begin(), scores.end());
    LinkedTonalyte engine;
    for (const fs::path &path : scores) {
        SCOPED_TRACE(path.filename().string());
        const FileAnalysis a = analysePath(engine, path.string(), {});
        ASSERT_NE(a.layout, nullptr);
        expectReadBack(a, path.stem().string());
        const test::ReadDocument read = test::readRomanText(romanText(a, "x"));
        EXPECT_EQ(read.header.at("Composer"), a.layout->composer);
        if (HasFailure())
            break;
    }
}

} // namespace
} // namespace tunedeck::romantext
