// The table of choices every front end reads: each row reaches its own field of the one
// AnalysisChoices and no other, names are unique in each front end, and the words the
// command and Python say of a wrong value are the ones they have always said.
#include "core/analysis/choicetable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace tunedeck;

namespace {

// A value of the row other than its default.
ChoiceValue otherValue(const ChoiceRow &row)
{
    const ChoiceValue fallback = row.defaultValue();
    switch (row.kind) {
    case ChoiceKind::Switch: return fallback != 0 ? 0 : 1;
    case ChoiceKind::Track: return fallback == AllTracks ? row.high : AllTracks;
    case ChoiceKind::Channels: return 0x0201;
    case ChoiceKind::Real: return (row.low + fallback) / 2;
    case ChoiceKind::Whole: return fallback == row.high ? row.low : row.high;
    case ChoiceKind::Words: break;
    }
    for (const ChoiceWord &w : row.words)
        if (w.value != fallback)
            return w.value;
    return fallback;
}

std::string nameOf(const ChoiceRow &row)
{
    return !row.command.empty() ? row.command : !row.python.empty() ? row.python : row.page;
}

TEST(ChoiceTable, EachRowSetsItsOwnFieldAndNoOther)
{
    for (const ChoiceRow &row : choiceTable()) {
        SCOPED_TRACE(nameOf(row));
        AnalysisChoices c;
        const ChoiceValue value = otherValue(row);
        ASSERT_NE(value, row.defaultValue());
        row.set(c, value);
        EXPECT_EQ(row.get(c), value);
        for (const ChoiceRow &other : choiceTable()) {
            if (&other != &row) {
                EXPECT_EQ(other.get(c), other.defaultValue()) << nameOf(other) << " moved too";
            }
        }
    }
}

TEST(ChoiceTable, NamesAreUniqueInEachFrontEnd)
{
    std::set<std::string> command, python, page;
    for (const ChoiceRow &row : choiceTable()) {
        EXPECT_FALSE(nameOf(row).empty());
        EXPECT_TRUE(row.command.empty() || command.insert(row.command).second) << row.command;
        EXPECT_TRUE(row.python.empty() || python.insert(row.python).second) << row.python;
        EXPECT_TRUE(row.page.empty() || page.insert(row.page).second) << row.page;
        EXPECT_EQ(commandChoice(row.command), row.command.empty() ? nullptr : &row);
        EXPECT_EQ(pythonChoice(row.python), row.python.empty() ? nullptr : &row);
    }
}

// The command's help and errors, as scripts and users have read them.
TEST(ChoiceTable, CommandWordsComeFromTheRows)
{
    const struct {
        const char *option;
        const char *given;
        const char *error;
    } cases[] = {
        {"track", "13", "--track takes all or 1 to 12, not 13"},
        {"sensitivity", "most", "--sensitivity takes normal or more, not most"},
        {"meter", "5/4", "--meter takes 2/4, 3/4, 4/4 or 6/8"},
        {"keys", "5", "--keys takes 1, 2, 3, 4 or unknown"},
        {"transpose", "13", "--transpose takes semitones from -12 to 12"},
        {"notation", "roman", "--notation takes standard, camelot, openkey or german"},
        {"profile", "flat", "--profile takes krumhansl-kessler, temperley-kostka-payne, aarden-essen, bellman-budge, "
                            "sapp, albrecht-shanahan, fitted"},
        {"stay", "1", "--stay takes a probability above 0 and below 1, such as 0.995"},
    };
    for (const auto &c : cases) {
        const ChoiceRow *row = commandChoice(c.option);
        ASSERT_TRUE(row) << c.option;
        EXPECT_EQ(commandError(*row, c.given), c.error);
    }
    EXPECT_EQ(commandHelp(*commandChoice("track")),
              "Track to analyse: all, or 1 to 12 as the window's \"Track 01\" to \"Track 12\" (the file's tracks 2 "
              "to 13). Default: all (drums on channel 10 ignored).");
    EXPECT_EQ(commandHelp(*commandChoice("keys")),
              "Main keys in the timeline: 1, 2, 3, 4 or unknown (\"I don't known\"). Default: 2.");
    EXPECT_EQ(commandHelp(*commandChoice("profile")),
              "The profile analysis' key profile: fitted (default), krumhansl-kessler, temperley-kostka-payne, "
              "aarden-essen, bellman-budge, sapp or albrecht-shanahan.");
    EXPECT_EQ(pythonTakes(*pythonChoice("track")), "1 to 12 (the window's \"Track 01\" to \"Track 12\", mido's "
                                                  "tracks[1] to tracks[12]), or None for all tracks");
    EXPECT_EQ(pythonTakes(*pythonChoice("meter")), "one of 2/4, 3/4, 4/4, 6/8");
}

TEST(ChoiceTable, ValuesInAndOutOfTheirRange)
{
    const ChoiceRow &transpose = *commandChoice("transpose"), &stay = *commandChoice("stay"),
                    &track = *commandChoice("track");
    const struct {
        const ChoiceRow &row;
        ChoiceValue value;
        bool in;
    } cases[] = {
        {transpose, -12, true}, {transpose, 12, true},  {transpose, 13, false}, {transpose, 1.5, false},
        {stay, 0.5, true},      {stay, 0, false},       {stay, 1, false},       {stay, std::nan(""), false},
        {track, 0, true},       {track, 11, true},      {track, 12, false},     {track, -1, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(inRange(c.row, c.value), c.in) << c.row.command << ' ' << c.value;
    const ChoiceRow &keys = *commandChoice("keys");
    EXPECT_EQ(wordValue(keys, "unknown"), ChoiceValue(KeyCountChoice::NotKnown));
    EXPECT_EQ(wordValue(keys, "3"), ChoiceValue(KeyCountChoice::Three));
    EXPECT_FALSE(wordValue(keys, "5"));
    EXPECT_EQ(commandSpelling(track, 4), "5");
}

} // namespace
