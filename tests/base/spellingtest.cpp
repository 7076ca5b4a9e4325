// A score's spelling of its keys: the notes first, then the signature in force, else the
// program's own names; and the spellings most of a pitch class's notes have.
#include "core/base/keycodes.h"
#include "core/base/keynames.h"
#include "core/base/spelling.h"

#include <gtest/gtest.h>

namespace tunedeck {
namespace {

constexpr int Bar = 1920;

SpelledNote written(std::int64_t tick, int pitchClass, char step, int alter)
{
    return {tick, tick + Bar, pitchClass, {step, alter}};
}

struct KeyCase {
    const char *what;
    int tonic;
    bool minor;
    std::vector<SignatureChange> signatures;
    std::vector<SpelledNote> notes;
    const char *name;
    int direction;
};

TEST(Spelling, KeysAreNamedAsTheScoreWritesThem)
{
    const KeyCase cases[] = {
        {"five flats", 1, false, {{0, -5}}, {}, "Db major", -1},
        {"six flats, major", 6, false, {{0, -6}}, {}, "Gb major", -1},
        {"six flats, minor", 3, true, {{0, -6}}, {}, "Eb minor", -1},
        {"six sharps, major", 6, false, {{0, 6}}, {}, "F# major", 1},
        {"six sharps, minor", 3, true, {{0, 6}}, {}, "D# minor", 1},
        {"seven sharps", 1, false, {{0, 7}}, {}, "C# major", 1},
        {"seven flats", 11, false, {{0, -7}}, {}, "Cb major", -1},
        {"A major in four flats keeps its name", 9, false, {{0, -4}}, {}, "A major", 1},
        {"a nearer signature: Db major among no accidentals", 1, false, {{0, 0}}, {}, "Db major", -1},
        {"the signature changed before the key", 6, false, {{0, -2}, {Bar, 5}}, {}, "F# major", 1},
        {"the notes outweigh the signature", 11, false, {{0, 0}},
         {written(Bar, 11, 'C', -1), written(Bar, 11, 'C', -1), written(Bar, 11, 'B', 0)}, "Cb major", -1},
        {"the notes settle what no signature does", 6, false, {},
         {written(0, 6, 'G', -1), written(Bar, 6, 'G', -1)}, "Gb major", -1},
        {"neither settles it: the program's own name", 6, false, {{0, 0}}, {}, "F# major", 1},
        {"no spelling at all: the program's own name", 3, true, {}, {}, "Eb minor", 1},
    };
    for (const KeyCase &c : cases) {
        SCOPED_TRACE(c.what);
        const ScoreSpelling spelling{c.signatures, c.notes};
        const int code = keyCodeOf(c.tonic, c.minor);
        const std::optional<int> fifths = writtenSignature(code, spelling, Bar, 2 * Bar);
        EXPECT_EQ(writtenKeyName(code, fifths), c.name);
        EXPECT_EQ(writtenDirection(code, fifths), c.direction);
    }
}

TEST(Spelling, NotesOutsideTheStretchDoNotCount)
{
    // Gb before the stretch and F# within it.
    const ScoreSpelling spelling{{}, {written(0, 6, 'G', -1), written(0, 6, 'G', -1), written(3 * Bar, 6, 'F', 1)}};
    EXPECT_EQ(writtenKeyName(keyCodeOf(6, false), writtenSignature(keyCodeOf(6, false), spelling, 2 * Bar, 4 * Bar)),
              "F# major");
}

TEST(Spelling, MostNotesOfThePitchClassGiveItsSpelling)
{
    struct Case {
        const char *what;
        std::vector<SpelledNote> notes;
        std::optional<SpelledPitch> expected;
    };
    const Case cases[] = {
        {"the majority", {written(0, 6, 'G', -1), written(0, 6, 'F', 1), written(10, 6, 'G', -1)}, SpelledPitch{'G', -1}},
        {"as many each way", {written(0, 6, 'G', -1), written(0, 6, 'F', 1)}, std::nullopt},
        {"another pitch class", {written(0, 7, 'G', 0)}, std::nullopt},
        {"a note that ended before", {{-Bar, 0, 6, {'F', 1}}, written(0, 6, 'G', -1)}, SpelledPitch{'G', -1}},
        {"a note that starts after", {written(0, 6, 'G', -1), written(Bar, 6, 'F', 1), written(Bar, 6, 'F', 1)},
         SpelledPitch{'G', -1}},
        // A transposing part's written note sounds another pitch class than it reads.
        {"written otherwise than it sounds", {written(0, 6, 'G', -1), written(0, 6, 'G', -1), written(0, 6, 'A', 0),
                                              written(0, 6, 'A', 0), written(0, 6, 'A', 0)},
         SpelledPitch{'G', -1}},
        {"double sharps", {written(0, 6, 'E', 2)}, SpelledPitch{'E', 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(notesSpelling(ScoreSpelling{{}, c.notes}, 6, 0, Bar), c.expected);
    }
}

TEST(Spelling, NotesHeldFromBeforeCountWhenTheLongestIsKnown)
{
    // A Gb held four bars from the start, F#s that end before the stretch.
    ScoreSpelling spelling{{}, {{0, 4 * Bar, 6, {'G', -1}}, written(0, 6, 'F', 1), written(Bar, 6, 'F', 1),
                                written(3 * Bar, 7, 'G', 0)}};
    for (const std::int64_t longest : {std::int64_t(-1), std::int64_t(4 * Bar)}) {
        spelling.longest = longest;
        EXPECT_EQ(notesSpelling(spelling, 6, 3 * Bar, 4 * Bar), (SpelledPitch{'G', -1})) << longest;
        EXPECT_EQ(notesSpelling(spelling, 6, 0, Bar), std::nullopt) << longest;
        EXPECT_EQ(notesSpelling(spelling, 6, 4 * Bar, 5 * Bar), std::nullopt) << longest;
    }
}

TEST(Spelling, PitchTexts)
{
    EXPECT_EQ(pitchText({'G', -1}), "Gb");
    EXPECT_EQ(pitchText({'E', 2}), "E##");
    EXPECT_EQ(pitchText({'C', -2}), "Cbb");
    EXPECT_EQ(pitchText({'A', 0}), "A");
}

TEST(Spelling, SignatureInForce)
{
    const ScoreSpelling spelling{{{480, -3}, {2 * Bar, 2}}, {}};
    EXPECT_EQ(signatureAt(spelling, 0), -3); // one written after a pickup holds from the start
    EXPECT_EQ(signatureAt(spelling, 2 * Bar - 1), -3);
    EXPECT_EQ(signatureAt(spelling, 2 * Bar), 2);
    EXPECT_EQ(signatureAt(ScoreSpelling{}, 0), std::nullopt);
}

} // namespace
} // namespace tunedeck
