#include "core/batch/resultrow.h"

#include "core/analysis/csvfield.h"
#include "core/base/keycodes.h"
#include "core/base/spelling.h"

#include <cctype>

namespace tunedeck::batch {

namespace {

constexpr const char *LineEnd = "\r\n";

Cell text(const std::string &s)
{
    return s;
}

Cell number(std::int64_t n)
{
    return n;
}

// The n-th candidate after the overall key (1 for candidate2).
template <std::size_t N>
const Candidate *candidate(const FileResult &r)
{
    return N < r.candidates.size() ? &r.candidates[N] : nullptr;
}

bool profiled(const FileResult &r)
{
    return r.profile && isKeyCode(r.profile->keyCode);
}

template <std::size_t N>
constexpr std::array<Column, 4> candidateColumns(std::string_view name, std::string_view code,
                                                 std::string_view percent, std::string_view notation)
{
    return {{{name, CellKind::Text, true, InCsv | InTable,
              [](const FileResult &r, Notation) { const Candidate *c = candidate<N>(r); return c ? text(c->key) : Cell(); }},
             {code, CellKind::Integer, true, InCsv | InTable,
              [](const FileResult &r, Notation) { const Candidate *c = candidate<N>(r); return c ? number(c->keyCode) : Cell(); }},
             {percent, CellKind::Integer, true, InCsv | InTable,
              [](const FileResult &r, Notation) { const Candidate *c = candidate<N>(r); return c ? number(c->percent) : Cell(); }},
             {notation, CellKind::Text, false, InCsvNamed, [](const FileResult &r, Notation n) {
                  const Candidate *c = candidate<N>(r);
                  return text(keyName(c ? c->keyCode : 0, n));
              }}}};
}

constexpr auto Candidate2 = candidateColumns<1>("candidate2", "candidate2KeyCode", "candidate2Percent", "candidate2Notation");
constexpr auto Candidate3 = candidateColumns<2>("candidate3", "candidate3KeyCode", "candidate3Percent", "candidate3Notation");

constexpr unsigned Everywhere = InCsv | InTable;

} // namespace

// The key's own columns are empty where the run found no key; the profile's where it did not run.
const std::array<Column, 25> Columns{{
    {"file", CellKind::Text, false, Everywhere, [](const FileResult &r, Notation) { return text(r.path); }},
    {"key", CellKind::Text, true, Everywhere,
     [](const FileResult &r, Notation) { return r.key.empty() ? Cell() : text(r.key); }},
    {"keyCode", CellKind::Integer, true, Everywhere,
     [](const FileResult &r, Notation) { return r.key.empty() ? Cell() : number(r.keyCode); }},
    {"signature", CellKind::Text, true, Everywhere,
     [](const FileResult &r, Notation) { return r.key.empty() ? Cell() : text(r.signature); }},
    {"probability", CellKind::Integer, true, Everywhere,
     [](const FileResult &r, Notation) { return r.probability ? number(*r.probability) : Cell(); }},
    {"outcome", CellKind::Text, false, Everywhere, [](const FileResult &r, Notation) { return text(r.outcome); }},
    {"message", CellKind::Text, false, Everywhere, [](const FileResult &r, Notation) { return text(r.message); }},
    {"reason", CellKind::Text, true, InTable,
     [](const FileResult &r, Notation) { return r.reason ? text(*r.reason) : Cell(); }},
    {"keyNotation", CellKind::Text, false, InCsvNamed,
     [](const FileResult &r, Notation n) { return text(keyName(r.keyCode, n)); }},
    Candidate2[0], Candidate2[1], Candidate2[2], Candidate2[3],
    Candidate3[0], Candidate3[1], Candidate3[2], Candidate3[3],
    {"timelinePoints", CellKind::Integer, false, Everywhere,
     [](const FileResult &r, Notation) { return number(r.timelinePoints); }},
    {"splitFormat0", CellKind::Boolean, false, Everywhere, [](const FileResult &r, Notation) { return Cell(r.splitFormat0); }},
    {"format0", CellKind::Boolean, false, InTable, [](const FileResult &r, Notation) { return Cell(r.format0); }},
    {"profileKey", CellKind::Text, true, InTable,
     [](const FileResult &r, Notation) {
         return profiled(r) ? text(writtenKeyName(r.profile->keyCode, r.profile->keyFifths)) : Cell();
     }},
    {"profileKeyCode", CellKind::Integer, true, InTable,
     [](const FileResult &r, Notation) { return profiled(r) ? number(r.profile->keyCode) : Cell(); }},
    {"profileConfidence", CellKind::Number, true, InTable,
     [](const FileResult &r, Notation) { return profiled(r) ? Cell(r.profile->confidence) : Cell(); }},
    {"profileAmbiguous", CellKind::Boolean, true, InTable,
     [](const FileResult &r, Notation) { return profiled(r) ? Cell(r.profile->ambiguous) : Cell(); }},
    {"localKeyChanges", CellKind::Integer, true, InTable,
     [](const FileResult &r, Notation) { return r.profile ? number(r.profile->keyChanges) : Cell(); }},
}};

OutcomeClass classify(const FileResult &r)
{
    if (r.outcome == "reported" || r.outcome == "no-data")
        return OutcomeClass::Read;
    if (r.outcome == "file-refused")
        return OutcomeClass::Refused;
    return OutcomeClass::Failed;
}

FileResult workerFailure(std::string path, std::string message)
{
    FileResult r;
    r.path = std::move(path);
    r.outcome = WorkerFailedOutcome;
    r.message = std::move(message);
    return r;
}

FileResult resultRow(const FileAnalysis &a, const LabelTexts &t, std::string path)
{
    FileResult row;
    row.path = std::move(path);
    row.keyCode = a.run.keyCode;
    row.key = t.keyStr;
    row.signature = t.signat;
    const OverallKeyReport &overall = a.run.reports.overall;
    if (overall.hasKey() && (a.run.outcome == FastOutcome::Reported || a.run.outcome == FastOutcome::Cancelled))
        row.probability = overall.top().percent;
    for (const RankedKey &k : overall.ranked)
        row.candidates.push_back({keyName(k.code, Notation::Standard), k.code, k.percent});
    row.timelinePoints = int(a.run.reports.timing.points.size());
    row.outcome = outcomeName(a.run.outcome);
    const std::string reason = shownReason(a);
    row.message = reason.empty() ? t.error : reason;
    row.format0 = a.file.format0;
    row.splitFormat0 = a.file.splitFormat0;
    if (a.refusal)
        row.reason = a.refusal->reason;
    if (a.profile)
        row.profile = ProfileSummary{a.profile->keyCode, a.profile->confidence, a.profile->ambiguous,
                                     std::int64_t(a.profile->barChanges.size()),
                                     spelledNames(a).keyFifths(a.profile->keyCode)};
    return row;
}

std::string snakeCase(std::string_view name)
{
    std::string out;
    for (const char c : name) {
        if (std::isupper(static_cast<unsigned char>(c))) {
            out += '_';
            out += char(std::tolower(static_cast<unsigned char>(c)));
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

bool inCsv(const Column &c, Notation notation)
{
    return (c.use & InCsv) || (notation != Notation::Standard && (c.use & InCsvNamed));
}

std::string csvText(const Cell &cell)
{
    if (const auto *s = std::get_if<std::string>(&cell))
        return csvField(*s);
    if (const auto *n = std::get_if<std::int64_t>(&cell))
        return std::to_string(*n);
    if (const auto *b = std::get_if<bool>(&cell))
        return *b ? "1" : "0";
    return {}; // no value; no number of the CSV is a fraction
}

} // namespace

std::string csvHeader(Notation notation)
{
    std::string row;
    for (const Column &c : Columns)
        if (inCsv(c, notation))
            (row += row.empty() ? "" : ",") += c.name;
    return row + LineEnd;
}

std::string csvRow(const FileResult &r, Notation notation)
{
    std::string row;
    bool first = true;
    for (const Column &c : Columns) {
        if (!inCsv(c, notation))
            continue;
        if (!std::exchange(first, false))
            row += ',';
        row += csvText(c.value(r, notation));
    }
    return row + LineEnd;
}

} // namespace tunedeck::batch
