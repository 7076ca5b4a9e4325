#include "analysis/resultrow.h"

namespace tunedeck::collection {

namespace {

constexpr const char *LineEnd = "\r\n";

// Every field but the first follows a comma; the first may well be empty.
void add(std::string &row, std::string_view field)
{
    row += ',';
    row += csvField(field);
}

} // namespace

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
    return row;
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string csvHeader(Notation notation)
{
    const bool named = notation != Notation::Standard;
    std::string row = "file,key,keyCode,signature,probability,outcome,message";
    if (named)
        row += ",keyNotation";
    for (const char *n : {"2", "3"}) {
        const std::string c = std::string("candidate") + n;
        row += "," + c + "," + c + "KeyCode," + c + "Percent";
        if (named)
            row += "," + c + "Notation";
    }
    return row + ",timelinePoints,splitFormat0" + LineEnd;
}

std::string csvRow(const FileResult &r, Notation notation)
{
    const bool named = notation != Notation::Standard;
    std::string row = csvField(r.path);
    add(row, r.key);
    add(row, r.key.empty() ? std::string() : std::to_string(r.keyCode));
    add(row, r.signature);
    add(row, r.probability ? std::to_string(*r.probability) : std::string());
    add(row, r.outcome);
    add(row, r.message);
    if (named)
        add(row, keyName(r.keyCode, notation));
    for (std::size_t i : {1u, 2u}) {
        const bool has = i < r.candidates.size();
        const Candidate c = has ? r.candidates[i] : Candidate{};
        add(row, c.key);
        add(row, has ? std::to_string(c.keyCode) : std::string());
        add(row, has ? std::to_string(c.percent) : std::string());
        if (named)
            add(row, keyName(c.keyCode, notation));
    }
    add(row, std::to_string(r.timelinePoints));
    add(row, r.splitFormat0 ? "1" : "0");
    return row + LineEnd;
}

} // namespace tunedeck::collection
