// Every spelling of every key, the signatures in both forms, and how keys stand to each
// other; and that the spellings agree with one another.
#include "core/base/keycodes.h"
#include "core/base/keynames.h"
#include "core/base/keysignature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace tunedeck;

namespace {

struct Spellings {
    int code;
    const char *window, *signature;
    int direction;
    const char *camelot, *openKey, *german, *analysis, *label;
};

// As the window, the command's notations, the profile analysis and the key map write them.
constexpr Spellings AllKeys[24] = {
    {160, "C Major", "00", 0, "8B", "1d", "C-Dur", "C major", "C"},
    {161, "C# Db Major", "5b", -1, "3B", "8d", "Des-Dur", "Db major", "Db"},
    {162, "D Major", "2#", 1, "10B", "3d", "D-Dur", "D major", "D"},
    {163, "D# Eb Major", "3b", -1, "5B", "10d", "Es-Dur", "Eb major", "Eb"},
    {164, "E Major", "4#", 1, "12B", "5d", "E-Dur", "E major", "E"},
    {165, "F Major", "1b", -1, "7B", "12d", "F-Dur", "F major", "F"},
    {166, "F# Gb Major", "6#", 1, "2B", "7d", "Fis-Dur", "F# major", "F#"},
    {167, "G Major", "1#", 1, "9B", "2d", "G-Dur", "G major", "G"},
    {168, "G# Ab Major", "4b", -1, "4B", "9d", "As-Dur", "Ab major", "Ab"},
    {169, "A Major", "3#", 1, "11B", "4d", "A-Dur", "A major", "A"},
    {170, "A# Bb Major", "2b", -1, "6B", "11d", "B-Dur", "Bb major", "Bb"},
    {171, "B Major", "5#", 1, "1B", "6d", "H-Dur", "B major", "B"},
    {60, "C Minor", "3b", -1, "5A", "10m", "c-Moll", "C minor", "Cm"},
    {61, "C# Db Minor", "4#", 1, "12A", "5m", "cis-Moll", "C# minor", "C#m"},
    {62, "D Minor", "1b", -1, "7A", "12m", "d-Moll", "D minor", "Dm"},
    {63, "D# Eb Minor", "6#", 1, "2A", "7m", "es-Moll", "Eb minor", "D#m"},
    {64, "E Minor", "1#", 1, "9A", "2m", "e-Moll", "E minor", "Em"},
    {65, "F Minor", "4b", -1, "4A", "9m", "f-Moll", "F minor", "Fm"},
    {66, "F# Gb Minor", "3#", 1, "11A", "4m", "fis-Moll", "F# minor", "F#m"},
    {67, "G Minor", "2b", -1, "6A", "11m", "g-Moll", "G minor", "Gm"},
    {68, "G# Ab Minor", "5#", 1, "1A", "6m", "gis-Moll", "G# minor", "G#m"},
    {69, "A Minor", "00", 0, "8A", "1m", "a-Moll", "A minor", "Am"},
    {70, "A# Bb Minor", "5b", -1, "3A", "8m", "b-Moll", "Bb minor", "Bbm"},
    {71, "B Minor", "2#", 1, "10A", "3m", "h-Moll", "B minor", "Bm"},
};

std::vector<std::string> words(const std::string &text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

} // namespace

TEST(KeyVocabulary, EveryKeyInEverySpelling)
{
    for (const Spellings &k : AllKeys) {
        SCOPED_TRACE(k.code);
        EXPECT_EQ(keyName(k.code, Notation::Standard), k.window);
        EXPECT_EQ(signatureText(k.code), k.signature);
        EXPECT_EQ(accidentalDirection(k.code), k.direction);
        EXPECT_EQ(keyName(k.code, Notation::Camelot), k.camelot);
        EXPECT_EQ(keyName(k.code, Notation::OpenKey), k.openKey);
        EXPECT_EQ(keyName(k.code, Notation::German), k.german);
        EXPECT_EQ(analysisKeyName(k.code), k.analysis);
        EXPECT_EQ(shortKeyName(k.code), k.label);
    }
    // The six-accidental keys, and the ends of the flats and sharps, as copies write them.
    for (const auto &[code, sf, minor] :
         {std::tuple{166, 6, false}, {161, -5, false}, {171, 5, false}, {60, -3, true}, {63, 6, true}})
        EXPECT_EQ(keySignatureFor(code), (KeySignature{sf, minor})) << code;
}

TEST(KeyVocabulary, NumbersThatNameNoKeyHaveNoSpelling)
{
    for (int code : {0, -1, 1, 59, 72, 100, 159, 172, 999, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(isKeyCode(code));
        EXPECT_EQ(fifthsPosition(code), -1);
        for (Notation n : {Notation::Standard, Notation::Camelot, Notation::OpenKey, Notation::German})
            EXPECT_EQ(keyName(code, n), "");
        EXPECT_EQ(analysisKeyName(code), "");
        EXPECT_EQ(shortKeyName(code), "");
        EXPECT_EQ(signatureText(code), "");
        EXPECT_EQ(accidentalDirection(code), 0);
        EXPECT_EQ(keySignatureFor(code), std::nullopt);
    }
}

// The tables behind the spellings must not drift apart: each key's spellings name the
// same tonic and mode, and both signature forms say the same.
TEST(KeyVocabulary, SpellingsAndSignaturesAgree)
{
    std::set<std::string> names[4];
    for (int index = 0; index < KeyCount; ++index) {
        const int code = keyCodeAt(index);
        SCOPED_TRACE(code);
        ASSERT_TRUE(isKeyCode(code));
        EXPECT_EQ(keyIndex(code), index);
        EXPECT_EQ(keyCodeOf(tonicOf(code), isMinorKey(code)), code);

        const KeySignature sig = *keySignatureFor(code);
        EXPECT_EQ(sig.minor, isMinorKey(code));
        const int count = sig.sharpsOrFlats < 0 ? -sig.sharpsOrFlats : sig.sharpsOrFlats;
        const std::string text = signatureText(code);
        EXPECT_EQ(text, count == 0 ? "00" : std::to_string(count) + (sig.sharpsOrFlats > 0 ? "#" : "b"));
        EXPECT_EQ(accidentalDirection(code), (sig.sharpsOrFlats > 0) - (sig.sharpsOrFlats < 0));
        // A minor key takes its relative major's signature, and shares its notation number.
        const int major = keyCodeOf(relativeMajorTonic(code), false);
        EXPECT_EQ(keySignatureFor(major)->sharpsOrFlats, sig.sharpsOrFlats);

        // The label and the analysis spell the tonic one of the two ways the window names it.
        const std::string window = keyName(code, Notation::Standard);
        const std::vector<std::string> tonics = words(window.substr(0, window.rfind(' ')));
        std::string label = shortKeyName(code);
        if (isMinorKey(code))
            label.pop_back(); // the "m"
        EXPECT_NE(std::find(tonics.begin(), tonics.end(), label), tonics.end());
        const std::vector<std::string> analysis = words(analysisKeyName(code));
        EXPECT_NE(std::find(tonics.begin(), tonics.end(), analysis.front()), tonics.end());
        EXPECT_EQ(analysis.back() == "minor", isMinorKey(code));
        EXPECT_EQ(window.ends_with(" Minor"), isMinorKey(code));

        // Camelot counts from 8 where Open Key counts from 1, both by fifths.
        const std::string camelot = keyName(code, Notation::Camelot), openKey = keyName(code, Notation::OpenKey);
        EXPECT_EQ(std::stoi(camelot), (std::stoi(openKey) + 6) % 12 + 1);
        EXPECT_EQ(std::stoi(camelot), std::stoi(keyName(major, Notation::Camelot)));
        EXPECT_EQ(std::stoi(openKey), std::stoi(keyName(major, Notation::OpenKey)));
        for (int n = 0; n < 4; ++n)
            names[n].insert(keyName(code, Notation(n)));
    }
    // Every notation tells all 24 keys apart, so a name read back gives its key.
    for (const std::set<std::string> &set : names)
        EXPECT_EQ(set.size(), std::size_t(KeyCount));

    for (const auto &[word, notation] : {std::pair{"standard", Notation::Standard}, {"Camelot", Notation::Camelot},
                                         {"OPENKEY", Notation::OpenKey}, {"german", Notation::German}})
        EXPECT_EQ(parseNotation(word), notation) << word;
    for (const char *word : {"", "open key", "standards", "deutsch"})
        EXPECT_EQ(parseNotation(word), std::nullopt) << word;
}

TEST(KeyVocabulary, HowKeysStandToEachOther)
{
    struct Case {
        int first, other;
        KeyRelation relation;
    } relations[] = {
        {160, 69, KeyRelation::Relative},    {69, 160, KeyRelation::Relative},  {166, 63, KeyRelation::Relative},
        {160, 60, KeyRelation::Parallel},    {62, 162, KeyRelation::Parallel},  {160, 167, KeyRelation::Dominant},
        {69, 64, KeyRelation::Dominant},     {165, 160, KeyRelation::Dominant}, {160, 165, KeyRelation::Subdominant},
        {67, 60, KeyRelation::Subdominant},  {160, 160, KeyRelation::Same},     {160, 162, KeyRelation::None},
        {160, 64, KeyRelation::None},        {69, 164, KeyRelation::None},      {160, 0, KeyRelation::None},
    };
    for (const Case &c : relations)
        EXPECT_EQ(keyRelation(c.first, c.other), c.relation) << c.first << " to " << c.other;
}
