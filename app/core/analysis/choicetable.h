// The table of the run's choices: a row for each choice a user makes, with its name in each
// front end that offers it, its kind, its words or range, and where it lives in
// AnalysisChoices, whose defaults are every front end's. tunedeck-detect's options and their
// --help, Python's keywords and their checks and the page's fields are all read from it; each
// front end only spells values its own way. A new choice is a field of AnalysisChoices and a
// row here.
#ifndef TUNEDECK_CORE_ANALYSIS_CHOICETABLE_H
#define TUNEDECK_CORE_ANALYSIS_CHOICETABLE_H

#include "core/analysis/analysischoices.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck {

enum class ChoiceKind {
    Switch,   // on or off: an option without a value, or one of two words (--sensitivity normal|more)
    Words,    // one of a list of words
    Whole,    // a whole number from low to high
    Real,     // a number above low and below high
    Track,    // every track, or a position of the track list
    Channels, // a set of the 16 MIDI channels
};

// A choice's value as the table hands it over: a word's value, 0 or 1, a number, a track's
// position (AllTracks for every track), a mask of channels (bit n: channel n + 1).
using ChoiceValue = double;
inline constexpr ChoiceValue AllTracks = -1;

struct ChoiceWord {
    std::string word;
    int value = 0;
};

// The words a front end says are made from a row's texts, where these stand for its data:
// {words} "a, b or c", {list} "a, b, c", {marked} the default first with "(default)" and
// the rest "b or c", {range} "low to high", {low}, {high}, {default}, and in an error
// {value}, the value given. A Track row counts its range as the front end does.
struct ChoiceRow {
    ChoiceKind kind = ChoiceKind::Switch;
    std::vector<ChoiceWord> words; // Words, or a Switch the command spells by two (off first)
    double low = 0, high = 0;      // Whole, Real and Track (positions)
    // Each front end's name for it; empty where that front end does not offer it.
    std::string command;      // tunedeck-detect's --option
    char shortOption = 0;
    std::string valueName;    // the option's value in --help; empty for an option without one
    std::string help;         // --help's words
    std::string commandTakes; // what a wrong value's error says the option takes
    std::string python;       // Python's keyword
    std::string pythonTakes;  // what Python's TypeError or ValueError says it takes
    std::string page;         // the page's field
    ChoiceValue (*get)(const AnalysisChoices &) = nullptr;
    void (*set)(AnalysisChoices &, ChoiceValue) = nullptr;

    ChoiceValue defaultValue() const { return get(AnalysisChoices{}); }
};

const std::vector<ChoiceRow> &choiceTable();
const ChoiceRow *commandChoice(std::string_view option);
const ChoiceRow *pythonChoice(std::string_view keyword);

// A word's value; nothing for a word the row does not take.
std::optional<ChoiceValue> wordValue(const ChoiceRow &row, std::string_view word);
// The word of a value; empty when none has it.
std::string wordOf(const ChoiceRow &row, ChoiceValue value);
// Within the range (Whole, Real) or the track list (Track); NaN never is.
bool inRange(const ChoiceRow &row, ChoiceValue value);

// tunedeck-detect's words: the help, a value as the option is written (the default's too),
// and "--keys takes 1, 2, 3, 4 or unknown" for a wrong value.
std::string commandHelp(const ChoiceRow &row);
std::string commandSpelling(const ChoiceRow &row, ChoiceValue value);
std::string commandError(const ChoiceRow &row, std::string_view given);
// What Python's errors say the keyword takes.
std::string pythonTakes(const ChoiceRow &row);

} // namespace tunedeck

#endif
