// Number texts, the names of the library's harmony codes, and the profile analysis' key shown live.
#include "core/reports/analysistext.h"
#include "core/reports/harmonycodename.h"
#include "core/reports/numbertext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tunedeck;

TEST(NumberText, PadsAndSigns)
{
    EXPECT_EQ(zeroPadded(7, 3), "007");
    EXPECT_EQ(zeroPadded(100, 3), "100");
    EXPECT_EQ(zeroPadded(12345, 4), "12345");
    EXPECT_EQ(zeroPadded(-5, 3), "-005");
    EXPECT_EQ(zeroPadded(std::numeric_limits<std::int64_t>::min(), 3), "-9223372036854775808");

    EXPECT_EQ(signedText(5), " 5");
    EXPECT_EQ(signedText(-5), "-5");

    EXPECT_EQ(roundHalfAway(12.5), 13);
    EXPECT_EQ(roundHalfAway(-12.5), -13);
    EXPECT_EQ(roundHalfAway(12.4999), 12);
    EXPECT_EQ(roundHalfAway(std::nan("")), 0);
    EXPECT_EQ(roundHalfAway(1e300), std::numeric_limits<std::int64_t>::max());
}

TEST(NumberText, FixedDecimals)
{
    struct Case {
        const char *name;
        double value;
        int decimals;
        const char *text;
    };
    const Case cases[] = {
        // 0.0004065 is stored just below the half; it must still round up.
        {"decimal half", 0.0004065, 6, "0.000407"},
        {"negative half", -0.0004065, 6, "-0.000407"},
        {"below half", 0.00040649, 6, "0.000406"},
        {"carry", 9.9999995, 6, "10.000000"},
        {"zero", 0.0, 6, "0.000000"},
        {"tiny negative", -0.0000001, 6, "0.000000"},
        {"no decimals", 2.5, 0, "3"},
        {"infinite", std::numeric_limits<double>::infinity(), 6, "inf"},
        {"minus infinite", -std::numeric_limits<double>::infinity(), 6, "-inf"},
        {"not a number", std::nan(""), 6, "nan"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fixedDecimals(c.value, c.decimals), c.text) << c.name;
}

TEST(NumberText, SignificantDigits)
{
    struct Case {
        double value;
        int digits;
        const char *text;
    };
    const Case cases[] = {
        {0.5, 4, "0.5"},
        {1.0, 4, "1"},
        {0.0001234, 4, "0.0001234"},
        {0.00001, 4, "1e-05"},
        {123456, 4, "1.235e+05"},
        {10.125, 4, "10.13"}, // a true half goes away from zero
        {2.675, 3, "2.67"}, // stored below the half
        {9.9996, 4, "10"},
        {-12345, 4, "-1.235e+04"},
        {-0.0, 4, "0"},
        {1234, 4, "1234"},
        {12340, 4, "1.234e+04"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(significantDigits(c.value, c.digits), c.text) << c.value;
}

TEST(NumberText, HarmonyCodeNames)
{
    struct Case {
        const char *name;
        int code, accidental;
        const char *compact, *readable;
    };
    const Case cases[] = {
        {"16182", 16182, 0, "C#M7+", "C# Major7 Aug5"},
        {"16070 plain seventh", 16070, 0, "C..7.", "C.7"},
        {"36090 minor ninth", 36090, 0, "C.m9.", "C.m9"},
        {"26070 sus seventh", 26070, 0, "C.s7.", "C.7 Sus4"},
        {"16001 dim fifth", 16001, 0, "C...-", "C. Dim5"},
        {"06300 sharps", 6300, 0, "D#m..", "D#m"},
        {"06300 flats", 6300, -1, "Ebm..", "Ebm"},
        {"26060 sus sixth", 26060, 0, "C.s6.", "C.6 Sus4"},
        {"major7 dim5", 16781, -1, "G.M7-", "G. Major7 Dim5"},
        {"quality 9 reads minor", 97000, -1, "Bbm..", "Bbm"},
        {"sus with aug5", 27102, 0, "B.s.+", "B. Sus4 Aug5"},
        {"zero", 0, 0, "-", "-"},
        {"root 59", 15900, 0, "-", "-"},
        {"root 72", 17200, 0, "-", "-"},
        {"negative", -16182, 0, "-", "-"},
        {"six digits", 116182, 0, "-", "-"},
    };
    for (const Case &c : cases) {
        const HarmonyCodeName name = harmonyCodeName(c.code, std::int16_t(c.accidental));
        EXPECT_EQ(name.compact, c.compact) << c.name;
        EXPECT_EQ(name.readable, c.readable) << c.name;
    }
}

// What the profile line says during a play or listening: a play's local key with the bar it
// began at, the tracker's reading, marked where a play's analysis holds nothing.
TEST(NumberText, ShownKeys)
{
    const struct {
        profile::ShownKey shown;
        Notation notation;
        const char *text;
    } cases[] = {
        {{{167, 0.961, true}, 13, false}, Notation::Standard, "G major from bar 13, 96 %"},
        {{{69, 0.45, false}, 2, false}, Notation::Standard, "A minor? from bar 2, 45 %"},
        {{{167, 0.961, true}, 13, false}, Notation::Camelot, "9B from bar 13, 96 %"},
        {{{160, 0.88, true}, 0, false}, Notation::Standard, "C major, 88 %"},
        {{{160, 0.42, false}, 0, true}, Notation::Standard, "C major?, 42 % (as heard)"},
        {{{0, 0, false}, 0, true}, Notation::Standard, "-"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(text::shownKey(c.shown, c.notation), c.text);
}
