#include "core/analysis/choicetable.h"

#include "core/base/choices.h"
#include "core/profile/keyprofiles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tunedeck {

namespace {

std::vector<ChoiceWord> meterWords()
{
    std::vector<ChoiceWord> words;
    for (std::size_t i = 0; i < Meters.size(); ++i)
        words.push_back({std::string(Meters[i].text), int(i)});
    return words;
}

// The counts first, "unknown" last, as the command has always listed them.
std::vector<ChoiceWord> keyCountWords()
{
    std::vector<ChoiceWord> words;
    for (const KeyCountWord &k : KeyCounts)
        if (k.choice != KeyCountChoice::NotKnown)
            words.push_back({std::string(k.word), int(k.choice)});
    words.push_back({std::string(KeyCounts[std::size_t(KeyCountChoice::NotKnown)].word), int(KeyCountChoice::NotKnown)});
    return words;
}

std::vector<ChoiceWord> profileWords()
{
    std::vector<ChoiceWord> words;
    for (const profile::Profile p : profile::allProfiles())
        words.push_back({profile::profileName(p), int(p)});
    return words;
}

std::vector<ChoiceWord> notationWords()
{
    std::vector<ChoiceWord> words;
    for (std::size_t i = 0; i < NotationWords.size(); ++i)
        words.push_back({std::string(NotationWords[i]), int(i)});
    return words;
}

// The library run's choices, and a play's tempo.
void addRunRows(std::vector<ChoiceRow> &rows)
{
    rows.push_back({.kind = ChoiceKind::Track, .low = 0, .high = ChoosableTracks - 1, .command = "track",
                    .shortOption = 't', .valueName = "track",
                    .help = "Track to analyse: all, or {range} as the window's \"Track 01\" to \"Track {high}\" (the "
                            "file's tracks 2 to 13). Default: {default} (drums on channel 10 ignored).",
                    .commandTakes = "all or {range}, not {value}", .python = "track",
                    .pythonTakes = "{range} (the window's \"Track 01\" to \"Track {high}\", mido's tracks[{low}] to "
                                   "tracks[{high}]), or None for all tracks",
                    .page = "track",
                    .get = [](const AnalysisChoices &c) { return c.fast.tracks.all ? AllTracks : c.fast.tracks.position; },
                    .set = [](AnalysisChoices &c, ChoiceValue v) {
                        c.fast.tracks = v == AllTracks ? TrackChoice{} : TrackChoice{false, int(v)};
                    }});
    rows.push_back({.kind = ChoiceKind::Switch, .words = {{"normal", 0}, {"more", 1}}, .command = "sensitivity",
                    .shortOption = 's', .valueName = "sensitivity", .help = "{words}. Default: {default}.",
                    .commandTakes = "{words}, not {value}", .python = "sensitive", .page = "moreSensitive",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.fast.moreSensitive); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.fast.moreSensitive = v != 0; }});
    rows.push_back({.kind = ChoiceKind::Words, .words = meterWords(), .command = "meter", .shortOption = 'm',
                    .valueName = "meter", .help = "Meter for bar numbers: {words}. Default: {default}.",
                    .commandTakes = "{words}", .python = "meter", .pythonTakes = "one of {list}", .page = "meter",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.fast.meter); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.fast.meter = int(v); }});
    rows.push_back({.kind = ChoiceKind::Words, .words = keyCountWords(), .command = "keys", .shortOption = 'k',
                    .valueName = "keys",
                    .help = "Main keys in the timeline: {words} (\"I don't known\"). Default: {default}.",
                    .commandTakes = "{words}", .python = "keys",
                    .pythonTakes = "1 to 4, or None for \"I don't know\"", .page = "keys",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.fast.keys); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.fast.keys = KeyCountChoice(int(v)); }});
    rows.push_back({.kind = ChoiceKind::Whole, .low = MinTranspose, .high = MaxTranspose, .command = "transpose",
                    .valueName = "semitones",
                    .help = "Transpose every note but the drums' (channel 10) by {range} semitones before both "
                            "analyses; notes pushed out of 1 to 127 are left out, counted in the JSON as "
                            "\"transposeLeftOut\". Default: {default}.",
                    .commandTakes = "semitones from {range}", .python = "transpose",
                    .pythonTakes = "{range} semitones", .page = "transpose",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.fast.adjust.transpose); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.fast.adjust.transpose = int(v); }});
    rows.push_back({.kind = ChoiceKind::Whole, .low = MinTempoPercent, .high = MaxTempoPercent, .page = "tempo",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.fast.adjust.tempoPercent); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.fast.adjust.tempoPercent = int(v); }});
    rows.push_back({.kind = ChoiceKind::Channels, .low = 0, .high = 15, .python = "muted",
                    .pythonTakes = "a collection of channels {low} to {high} as mido numbers them (9 is the drums), "
                                   "such as [9] or range(16)",
                    .page = "muted",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.fast.channels.muted); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.fast.channels.muted = std::uint16_t(v); }});
}

// How the file is read, how keys are named and listed, and the profile analysis.
void addAnalysisRows(std::vector<ChoiceRow> &rows)
{
    rows.push_back({.kind = ChoiceKind::Words, .words = notationWords(), .command = "notation", .valueName = "notation",
                    .help = "Also name keys as {words} (H for B, lower-case minor) in the JSON and CSV.",
                    .commandTakes = "{words}", .page = "notation",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.notation); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.notation = Notation(int(v)); }});
    rows.push_back({.command = "split-format0",
                    .help = "Read a format 0 file (one track holding every channel) as format 1: its meta events "
                            "first, then one track per channel, lowest channel first.",
                    .python = "split_format0", .page = "splitFormat0",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.splitFormat0); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.splitFormat0 = v != 0; }});
    rows.push_back({.kind = ChoiceKind::Words, .words = {{"music", int(BarChoice::Music)}, {"meter", int(BarChoice::Meter)}},
                    .command = "bars", .valueName = "bars",
                    .help = "Bars of the chords and local keys: {marked}. music: the meter and downbeat the notes "
                            "show, a pickup as bar 0; meter: the --meter option's bars from the file's start.",
                    .commandTakes = "{words}", .python = "bars", .pythonTakes = "one of {list}", .page = "bars",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.bars); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.bars = BarChoice(int(v)); }});
    rows.push_back({.command = "unfold-repeats",
                    .help = "Play a score's repeats (MusicXML repeat signs and first and second endings) as "
                            "marked, for the play and the analysis alike; without it, every measure once as written.",
                    .python = "unfold_repeats", .page = "unfoldRepeats",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.unfoldRepeats); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.unfoldRepeats = v != 0; }});
    rows.push_back({.command = "all-bars",
                    .help = "List the timeline past bar 9999, with more digits (\"10000: C Major\"), where the "
                            "window stops with \"Timing overflow 3\".",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.barLimit == BarLimit::Every); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.barLimit = v != 0 ? BarLimit::Every : BarLimit::Window; }});
    rows.push_back({.kind = ChoiceKind::Words, .words = profileWords(), .command = "profile", .valueName = "name",
                    .help = "The profile analysis' key profile: {marked}.", .commandTakes = "{list}",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.profile.profile); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.profile.profile = profile::Profile(int(v)); }});
    rows.push_back({.kind = ChoiceKind::Real, .low = 0, .high = 1, .command = "stay", .valueName = "p",
                    .help = "The profile analysis' probability that the key stays from one window to the next. "
                            "Default: {default}.",
                    .commandTakes = "a probability above {low} and below {high}, such as {default}",
                    .get = [](const AnalysisChoices &c) { return c.profile.stay; },
                    .set = [](AnalysisChoices &c, ChoiceValue v) {
                        c.profile.stay = v;
                        // A stay chosen by hand holds for the local keys too, in place of the rate chosen per piece.
                        c.profile.local.changeRates.clear();
                    }});
    rows.push_back({.command = "key-network",
                    .help = "Experimental: the profile analysis' local keys, their confidences and the chords in "
                            "them from the key and harmony network, which reads the beats' notes with the present "
                            "local keys and chords (docs/PROFILE-ANALYSIS.md). The key and its candidates stay.",
                    .python = "key_network",
                    .get = [](const AnalysisChoices &c) { return ChoiceValue(c.keyNetwork); },
                    .set = [](AnalysisChoices &c, ChoiceValue v) { c.keyNetwork = v != 0; }});
}

std::vector<ChoiceRow> makeTable()
{
    std::vector<ChoiceRow> rows;
    addRunRows(rows);
    addAnalysisRows(rows);
    return rows;
}

// The fewest digits that read back as the value: "0.995", "-12". (Not std::to_chars: the
// page's standard library has none for doubles.)
std::string numberText(double value)
{
    std::array<char, 32> text{};
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text.data(), text.size(), "%.*g", digits, value);
        if (std::strtod(text.data(), nullptr) == value)
            break;
    }
    return text.data();
}

// "a, b or c", or with `last` ", " too.
std::string joined(const std::vector<std::string> &words, std::string_view last = " or ")
{
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            out += i + 1 == words.size() ? last : std::string_view(", ");
        out += words[i];
    }
    return out;
}

std::vector<std::string> wordsOf(const ChoiceRow &row)
{
    std::vector<std::string> words;
    for (const ChoiceWord &w : row.words)
        words.push_back(w.word);
    return words;
}

// The default first, marked, then the others.
std::string marked(const ChoiceRow &row)
{
    const std::string first = wordOf(row, row.defaultValue());
    std::vector<std::string> others;
    for (const ChoiceWord &w : row.words)
        if (w.word != first)
            others.push_back(w.word);
    return first + " (default), " + joined(others);
}

// A row's text with its placeholders filled in; a Track row's range counted as `count` does.
std::string filled(std::string_view text, const ChoiceRow &row, TrackCount count, std::string_view given = {})
{
    const double shift = row.kind == ChoiceKind::Track ? trackOne(count) : 0;
    const std::string low = numberText(row.low + shift), high = numberText(row.high + shift);
    const std::array<std::pair<std::string_view, std::string>, 8> fills{{
        {"{words}", joined(wordsOf(row))},
        {"{list}", joined(wordsOf(row), ", ")},
        {"{marked}", row.words.empty() ? std::string() : marked(row)},
        {"{range}", low + " to " + high},
        {"{low}", low},
        {"{high}", high},
        {"{default}", commandSpelling(row, row.defaultValue())},
        {"{value}", std::string(given)},
    }};
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const auto fill = std::find_if(fills.begin(), fills.end(), [&](const auto &f) {
            return text.substr(at).starts_with(f.first);
        });
        if (fill == fills.end()) {
            out += text[at++];
            continue;
        }
        out += fill->second;
        at += fill->first.size();
    }
    return out;
}

} // namespace

const std::vector<ChoiceRow> &choiceTable()
{
    static const std::vector<ChoiceRow> table = makeTable();
    return table;
}

const ChoiceRow *commandChoice(std::string_view option)
{
    for (const ChoiceRow &row : choiceTable())
        if (!row.command.empty() && row.command == option)
            return &row;
    return nullptr;
}

const ChoiceRow *pythonChoice(std::string_view keyword)
{
    for (const ChoiceRow &row : choiceTable())
        if (!row.python.empty() && row.python == keyword)
            return &row;
    return nullptr;
}

std::optional<ChoiceValue> wordValue(const ChoiceRow &row, std::string_view word)
{
    for (const ChoiceWord &w : row.words)
        if (w.word == word)
            return w.value;
    return std::nullopt;
}

std::string wordOf(const ChoiceRow &row, ChoiceValue value)
{
    for (const ChoiceWord &w : row.words)
        if (w.value == value)
            return w.word;
    return {};
}

bool inRange(const ChoiceRow &row, ChoiceValue value)
{
    switch (row.kind) {
    case ChoiceKind::Real: return value > row.low && value < row.high;
    case ChoiceKind::Track:
    case ChoiceKind::Whole: return value >= row.low && value <= row.high && value == std::floor(value);
    case ChoiceKind::Switch:
    case ChoiceKind::Words:
    case ChoiceKind::Channels: break;
    }
    return true;
}

std::string commandHelp(const ChoiceRow &row)
{
    return filled(row.help, row, TrackCount::Command);
}

std::string commandSpelling(const ChoiceRow &row, ChoiceValue value)
{
    if (row.kind == ChoiceKind::Track)
        return value == AllTracks ? std::string("all") : numberText(value + trackOne(TrackCount::Command));
    if (!row.words.empty())
        return wordOf(row, value);
    return numberText(value);
}

std::string commandError(const ChoiceRow &row, std::string_view given)
{
    return "--" + row.command + " takes " + filled(row.commandTakes, row, TrackCount::Command, given);
}

std::string pythonTakes(const ChoiceRow &row)
{
    if (row.kind == ChoiceKind::Switch)
        return "True or False";
    return filled(row.pythonTakes, row, TrackCount::Python);
}

} // namespace tunedeck
