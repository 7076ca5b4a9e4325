#include "run.h"

#include "analysis/resultrow.h"
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
    return columns;
}

namespace {

// The columns of a row: the command's CSV, the refusal's reason, and the profile analysis.
constexpr std::array<const char *, 21> ColumnNames{
    "key", "key_code", "signature", "probability", "outcome", "message", "reason",
    "candidate2", "candidate2_key_code", "candidate2_percent",
    "candidate3", "candidate3_key_code", "candidate3_percent",
    "timeline_points", "split_format0", "format0",
    "profile_key", "profile_key_code", "profile_confidence", "profile_ambiguous", "local_key_changes"};

} // namespace

Table::Table()
{
    for (const char *name : ColumnNames)
        columns_[name] = py::list();
}

void Table::add(const Run &run)
{
    const FileAnalysis &a = run.analysis;
    const collection::FileResult row = collection::resultRow(a, run.texts, {});
    const bool key = !row.key.empty();
    std::array<py::object, ColumnNames.size()> v;
    v[0] = orNone(key, py::str(row.key));
    v[1] = orNone(key, py::int_(row.keyCode));
    v[2] = orNone(key, py::str(row.signature));
    v[3] = orNone(row.probability.has_value(), py::int_(row.probability.value_or(0)));
    v[4] = py::str(row.outcome);
    v[5] = text(row.message);
    v[6] = orNone(a.refusal.has_value(), a.refusal ? py::object(text(a.refusal->reason)) : py::none());
    for (std::size_t c = 1; c <= 2; ++c) {
        const bool has = row.candidates.size() > c;
        const collection::Candidate none;
        const collection::Candidate &k = has ? row.candidates[c] : none;
        v[4 + 3 * c] = orNone(has, py::str(k.key));
        v[5 + 3 * c] = orNone(has, py::int_(k.keyCode));
        v[6 + 3 * c] = orNone(has, py::int_(k.percent));
    }
    v[13] = py::int_(row.timelinePoints);
    v[14] = py::bool_(row.splitFormat0);
    v[15] = py::bool_(row.format0);
    const bool profiled = a.profile && isKeyCode(a.profile->keyCode);
    v[16] = orNone(profiled, py::str(profiled ? analysisKeyName(a.profile->keyCode) : std::string()));
    v[17] = orNone(profiled, py::int_(profiled ? a.profile->keyCode : 0));
    v[18] = orNone(profiled, py::float_(profiled ? a.profile->confidence : 0.0));
    v[19] = orNone(profiled, py::bool_(profiled && a.profile->ambiguous));
    v[20] = orNone(a.profile.has_value(), py::int_(a.profile ? a.profile->barChanges.size() : 0));
    for (std::size_t i = 0; i < ColumnNames.size(); ++i)
        columns_[ColumnNames[i]].cast<py::list>().append(v[i]);
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
}

void ChordTable::add(const Run &run)
{
    py::list files = columns_["file"];
    std::array<py::list, ChordColumns.size()> lists;
    for (std::size_t i = 0; i < ChordColumns.size(); ++i)
        lists[i] = columns_[ChordColumns[i].name];
    for (const nlohmann::json &chord : chordsJson(run.analysis.chords)) {
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
