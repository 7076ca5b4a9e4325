#include "run.h"

#include "batch.h"
#include "core/analysis/analysistexts.h"
#include "core/batch/resultrow.h"
#include "pyjson.h"

#include <pybind11/numpy.h>

#include <array>

namespace py = pybind11;

namespace tunedeck::python {

namespace {

struct NoteRow {
    std::int32_t tick;
    std::uint8_t note, velocity;
    bool on;
    std::uint8_t channel;
    std::int32_t track;
};

const char *kindName(OpenError kind)
{
    switch (kind) {
    case OpenError::FileOpen: return "file-open";
    case OpenError::InvalidHeader: return "invalid-header";
    case OpenError::Reader: return "reader";
    case OpenError::FormatNotSupported: return "format-not-supported";
    case OpenError::None: break;
    }
    return "none";
}

py::list barKeys(const std::vector<profile::BarKey> &bars)
{
    py::list list(bars.size());
    for (std::size_t i = 0; i < bars.size(); ++i)
        list[i] = py::make_tuple(bars[i].bar, bars[i].keyCode);
    return list;
}

py::object orNone(bool present, py::object value)
{
    return present ? std::move(value) : py::none();
}

} // namespace

void registerNoteType()
{
    PYBIND11_NUMPY_DTYPE(NoteRow, tick, note, velocity, on, channel, track);
}

Run::Run(FileAnalysis a, bool transposeGiven)
    : analysis(std::move(a)), texts(labelTexts(analysis)), transposeField(transposeGiven)
{
}

py::object Run::json(const std::optional<std::string> &notation) const
{
    JsonFields fields;
    fields.transposeLeftOut = transposeField;
    if (notation) {
        fields.notation = parseNotation(*notation);
        if (!fields.notation)
            throw py::value_error("no notation is called " + *notation);
    }
    return toPython(analysisJson(analysis, texts, fields));
}

py::object Run::refusal() const
{
    if (!analysis.refusal)
        return py::none();
    return py::make_tuple(kindName(analysis.refusal->kind), texts.error, text(analysis.refusal->reason));
}

py::object Run::probability() const
{
    const OverallKeyReport &overall = analysis.run.reports.overall;
    const FastOutcome outcome = analysis.run.outcome;
    return orNone(overall.hasKey() && (outcome == FastOutcome::Reported || outcome == FastOutcome::Cancelled),
                  py::int_(overall.hasKey() ? overall.top().percent : 0));
}

py::list Run::ranked() const
{
    py::list list;
    for (const RankedKey &k : analysis.run.reports.overall.ranked)
        list.append(py::make_tuple(k.code, k.percent));
    return list;
}

py::list Run::points() const
{
    py::list list;
    for (const TimelinePoint &p : analysis.run.reports.timing.points)
        list.append(py::make_tuple(p.at, p.code, p.time));
    return list;
}

py::dict Run::counters() const
{
    const FastDetection &run = analysis.run;
    py::dict d;
    d["events"] = run.events.size();
    d["fed"] = run.feed.handled;
    d["left_out"] = run.leftOut;
    d["last_bar"] = run.feed.lastBar;
    d["ticks_per_bar"] = run.ticksPerBar;
    d["counted"] = analysis.statistics.total;
    d["note_zero_left_out"] = run.noteZeroLeftOut;
    return d;
}

py::dict Run::keyCounts() const
{
    py::dict d;
    const KeyStatistics &s = analysis.statistics;
    for (std::size_t i = 0; i < s.codes.size(); ++i)
        if (isKeyCode(s.codes[i]) && s.counts[i] > 0)
            d[py::int_(s.codes[i])] = s.counts[i];
    return d;
}

py::tuple Run::facts() const
{
    const FileFacts &f = analysis.file;
    return py::make_tuple(f.trackCount, f.ticksPerQuarter, f.msPerTick, f.splitFormat0, f.format0);
}

py::object Run::profile() const
{
    if (!analysis.profile)
        return py::none();
    const profile::ProfileAnalysis &p = *analysis.profile;
    py::list candidates;
    for (const profile::KeyCandidate &c : p.candidates)
        candidates.append(py::make_tuple(c.keyCode, c.confidence, relationName(c.relation)));
    py::list regions;
    for (const profile::LocalKey &r : p.regions)
        regions.append(py::make_tuple(r.startTick, r.endTick, r.keyCode));
    py::dict d;
    d["key_code"] = p.keyCode;
    d["confidence"] = p.confidence;
    d["ambiguous"] = p.ambiguous;
    d["candidates"] = candidates;
    d["changes"] = barKeys(p.barChanges);
    d["bars"] = barKeys(p.bars);
    d["regions"] = regions;
    d["change_rate"] = p.changeRate;
    d["last_bar"] = p.lastBar;
    d["bar_ticks"] = py::make_tuple(p.ticksPerBar, p.barStart.tick, p.barStart.pickup);
    return std::move(d);
}

py::object Run::notes() const
{
    const std::vector<NoteEvent> &events = analysis.run.events;
    py::array_t<NoteRow> array(py::ssize_t(events.size()));
    NoteRow *row = array.mutable_data();
    for (const NoteEvent &e : events)
        *row++ = {e.tick, e.note, e.velocity, e.on, e.channel, e.track};
    return std::move(array);
}

py::list Run::chords() const
{
    return toPython(chordsJson(analysis.chords)).cast<py::list>();
}

py::dict Run::chordColumns() const
{
    ChordTable table;
    table.add(*this);
    py::dict columns = table.columns();
    columns.attr("pop")("file");
    columns.attr("pop")("problems");
    return columns;
}

namespace {

// The batch library's columns that a table holds, but "file", which the Python layer names.
std::vector<const batch::Column *> tableColumns()
{
    std::vector<const batch::Column *> columns;
    for (const batch::Column &c : batch::Columns)
        if ((c.use & batch::InTable) && c.name != "file")
            columns.push_back(&c);
    return columns;
}

// A table's note of a run that did not succeed.
void notedProblem(py::dict &columns, const Run &run, std::int64_t index)
{
    if (succeeded(run.analysis))
        return;
    const py::object refusal = run.refusal();
    const py::object kind = refusal.is_none() ? py::object(py::none()) : refusal.cast<py::tuple>()[0];
    const py::object reason = refusal.is_none() ? py::object(py::str()) : refusal.cast<py::tuple>()[2];
    columns["problems"].cast<py::list>().append(
        py::make_tuple(index, kind, outcomeName(run.analysis.run.outcome), run.texts.error, reason));
}

} // namespace

Table::Table()
{
    for (const batch::Column *c : tableColumns())
        columns_[py::str(batch::snakeCase(c->name))] = py::list();
    columns_["problems"] = py::list();
}

void Table::add(const Run &run)
{
    notedProblem(columns_, run, runs_++);
    const batch::FileResult row = batch::resultRow(run.analysis, run.texts, {});
    for (const batch::Column *c : tableColumns())
        columns_[py::str(batch::snakeCase(c->name))].cast<py::list>().append(cellValue(c->value(row, Notation::Standard)));
}

namespace {

// A chord's columns, each with the JSON's name for it.
struct ChordColumn {
    const char *name;
    const char *field;
    bool ofKey = false; // missing where no key is in force, as in a table of files (the JSON writes "" and 0)
};
constexpr std::array<ChordColumn, 11> ChordColumns{{
    {"tick", "tick"}, {"end_tick", "endTick"}, {"bar", "bar"}, {"beat", "beat"}, {"ms", "ms"},
    {"label", "label"}, {"symbol", "symbol"}, {"roman", "roman"}, {"key", "key", true},
    {"key_code", "keyCode", true}, {"confidence", "confidence"}}};

} // namespace

ChordTable::ChordTable()
{
    columns_["file"] = py::list();
    for (const ChordColumn &c : ChordColumns)
        columns_[c.name] = py::list();
    columns_["problems"] = py::list();
}

void ChordTable::add(const Run &run)
{
    py::list files = columns_["file"];
    std::array<py::list, ChordColumns.size()> lists;
    for (std::size_t i = 0; i < ChordColumns.size(); ++i)
        lists[i] = columns_[ChordColumns[i].name];
    notedProblem(columns_, run, runs_);
    const FileAnalysis &a = run.analysis;
    for (const nlohmann::json &chord : chordsJson(a.chords)) {
        files.append(runs_);
        const bool key = isKeyCode(chord.at("keyCode").get<int>());
        for (std::size_t i = 0; i < ChordColumns.size(); ++i) {
            const ChordColumn &c = ChordColumns[i];
            lists[i].append(c.ofKey && !key ? py::none() : toPython(chord.at(c.field)));
        }
    }
    ++runs_;
}

} // namespace tunedeck::python
