#include "core/analysis/chordoutput.h"

#include "core/analysis/analysisjson.h"
#include "core/analysis/csvfield.h"
#include "core/base/keycodes.h"
#include "core/reports/resulttext.h"

#include <algorithm>
#include <array>

namespace tunedeck {

namespace {

constexpr std::array<const char *, 9> CsvFields = {"bar", "beat", "ms", "symbol", "label",
                                                   "roman", "key", "keyCode", "confidence"};

// The text block's label column, as analysistexts lines it up.
constexpr std::string_view ChartLabel = "  Chords            ";

// A bar's line as it is made: items after the bar number, and whether one is a chord.
class ChartLines {
public:
    void put(std::int64_t bar, const std::string &item, bool chord)
    {
        if (bar != bar_)
            flush();
        bar_ = bar;
        items_ += ' ' + item;
        chord_ = chord_ || chord;
    }
    std::vector<std::string> take()
    {
        flush();
        return std::move(lines_);
    }

private:
    void flush()
    {
        if (chord_)
            lines_.push_back(text::bar(bar_) + ':' + items_);
        items_.clear();
        chord_ = false;
    }

    std::vector<std::string> lines_;
    std::int64_t bar_ = 0;
    std::string items_;
    bool chord_ = false;
};

} // namespace

std::vector<std::string> chordChart(const std::vector<chords::ChordSegment> &segments, std::int64_t ticksPerBar)
{
    const std::int64_t perBar = std::max<std::int64_t>(ticksPerBar, 1);
    ChartLines chart;
    int named = NoKey;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const chords::ChordSegment &s = segments[i];
        const bool chord = !s.chord.none();
        const std::string symbol = harmony::chordSymbol(s.chord, s.keyCode);
        const std::string beat = beatValue(s.beat).dump();
        std::string item = beat == "1" ? symbol : symbol + '@' + beat;
        if (chord && isKeyCode(s.keyCode) && s.keyCode != named) {
            item = '[' + analysisKeyName(s.keyCode) + "] " + item;
            named = s.keyCode;
        }
        chart.put(s.bar, item, chord);
        // Held over into every bar it sounds in; a rest matters only in the bar it ends in.
        const std::int64_t last = std::max(s.bar, (s.endTick - 1) / perBar + 1);
        if (chord)
            for (std::int64_t bar = s.bar + 1; bar <= last; ++bar)
                chart.put(bar, symbol, true);
        else if (last > s.bar)
            chart.put(last, symbol, false);
    }
    return chart.take();
}

std::string chordChartText(const std::vector<chords::ChordSegment> &segments, std::int64_t ticksPerBar)
{
    const std::vector<std::string> bars = chordChart(segments, ticksPerBar);
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
                              harmony::chordSymbol(s.chord, s.keyCode)});
    return edit;
}

} // namespace tunedeck
