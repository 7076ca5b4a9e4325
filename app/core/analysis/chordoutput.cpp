#include "core/analysis/chordoutput.h"

#include "core/analysis/analysisjson.h"
#include "core/analysis/csvfield.h"
#include "core/base/keycodes.h"
#include "core/harmony/romannumeral.h"
#include "core/reports/resulttext.h"

#include <algorithm>
#include <array>

namespace tunedeck {

namespace {

constexpr std::array<const char *, 9> CsvFields = {"bar", "beat", "ms", "symbol", "label",
                                                   "roman", "key", "keyCode", "confidence"};

// The text block's label column, as analysistexts lines it up.
constexpr std::string_view ChartLabel = "  Chords            ";

// The chart's lines as they are made. A line is one bar, or several bars a chord is held
// through alone, which share one line ("0003-0040: C"): a file's ticks may say a chord is
// held for millions of bars, and the chart stays as long as the list of chords.
class ChartLines {
public:
    // An item of a bar; held for a chord sounding on from an earlier bar.
    void put(std::int64_t bar, const std::string &item, bool chord, bool held = false)
    {
        if (open_.items.empty() || bar != open_.first) {
            finish();
            open_ = {bar, bar, {}, false, held};
        } else {
            open_.held = false;
        }
        open_.items += ' ' + item;
        open_.chord = open_.chord || chord;
    }
    // Bars from..to hold the chord alone, held over from before them.
    void hold(std::int64_t from, std::int64_t to, const std::string &symbol)
    {
        finish();
        open_ = {from, to, ' ' + symbol, true, true};
        finish();
    }
    std::vector<std::string> take()
    {
        finish();
        write();
        return std::move(lines_);
    }

private:
    struct Line {
        std::int64_t first = 0, last = 0;
        std::string items;
        bool chord = false;
        bool held = false; // nothing but a chord held over
    };

    // The open bar is done: it joins the line before when both only hold one chord on.
    void finish()
    {
        if (open_.chord) {
            if (done_.held && open_.held && done_.items == open_.items && done_.last + 1 == open_.first) {
                done_.last = open_.last;
            } else {
                write();
                done_ = std::move(open_);
            }
        }
        open_ = {};
    }
    void write()
    {
        if (!done_.chord)
            return;
        const std::string bars =
            done_.first == done_.last ? text::bar(done_.first) : text::bar(done_.first) + '-' + text::bar(done_.last);
        lines_.push_back(bars + ':' + done_.items);
        done_ = {};
    }

    std::vector<std::string> lines_;
    Line done_; // the last line, which may still grow
    Line open_; // the bar being filled
};

} // namespace

std::vector<std::string> chordChart(const std::vector<chords::ChordSegment> &segments, const chords::ChordClock &bars,
                                    bool numerals)
{
    ChartLines chart;
    int named = NoKey;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const chords::ChordSegment &s = segments[i];
        const bool chord = !s.chord.none();
        std::string symbol = harmony::chordSymbol(s.chord, s.keyCode, s.written);
        if (const std::string roman = numerals ? harmony::romanNumeral(s.chord, s.keyCode) : ""; !roman.empty())
            symbol += '(' + roman + ')';
        const std::string beat = beatValue(s.beat).dump();
        std::string item = beat == "1" ? symbol : symbol + '@' + beat;
        if (chord && isKeyCode(s.keyCode) && s.keyCode != named) {
            item = '[' + harmony::keyNameOf(s.keyCode, s.written) + "] " + item;
            named = s.keyCode;
        }
        chart.put(s.bar, item, chord);
        // Held over into every bar it sounds in, those it fills alone on one line; a rest
        // matters only in the bar it ends in.
        chords::ChordSegment end;
        end.tick = s.endTick - 1;
        chords::placeInBar(end, bars);
        const std::int64_t last = std::max(s.bar, end.bar);
        if (chord && last > s.bar + 1)
            chart.hold(s.bar + 1, last - 1, symbol);
        if (last > s.bar)
            chart.put(last, symbol, chord, chord);
    }
    return chart.take();
}

std::string chordChartText(const std::vector<chords::ChordSegment> &segments, const chords::ChordClock &clock,
                           bool numerals)
{
    const std::vector<std::string> bars = chordChart(segments, clock, numerals);
    std::string out(ChartLabel);
    if (bars.empty())
        return out + "-\n";
    for (std::size_t i = 0; i < bars.size(); ++i)
        out += (i ? std::string(ChartLabel.size(), ' ') : std::string()) + bars[i] + '\n';
    return out;
}

std::string chordCsvHeader()
{
    std::string header = "file";
    for (const char *field : CsvFields)
        header += std::string(",") + field;
    return header + "\r\n";
}

std::string chordCsvRows(std::string_view path, const std::vector<chords::ChordSegment> &segments)
{
    std::string rows;
    for (const nlohmann::json &chord : chordsJson(segments)) {
        rows += csvField(path);
        for (const char *field : CsvFields) {
            const nlohmann::json &value = chord[field];
            rows += ',' + csvField(value.is_string() ? value.get<std::string>() : value.dump());
        }
        rows += "\r\n";
    }
    return rows;
}

MidiEdit chordMarkerEdit(const std::vector<chords::ChordSegment> &segments)
{
    constexpr std::uint8_t MarkerType = 0x06;
    MidiEdit edit;
    for (const chords::ChordSegment &s : segments)
        edit.added.push_back({std::uint64_t(std::max<std::int64_t>(s.tick, 0)), MarkerType,
                              harmony::chordSymbol(s.chord, s.keyCode, s.written)});
    return edit;
}

} // namespace tunedeck
