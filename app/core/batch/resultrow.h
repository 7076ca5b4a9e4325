// One file's detection as a row of a collection, and the columns every front end reads of it:
// the command's CSV and summary, the Python package's tables, the page's CSV. Plain C++.
#ifndef TUNEDECK_CORE_BATCH_RESULTROW_H
#define TUNEDECK_CORE_BATCH_RESULTROW_H

#include "core/analysis/analysistexts.h"
#include "core/base/keynames.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tunedeck::batch {

struct Candidate {
    std::string key; // standard name, "C Major"
    int keyCode = 0;
    int percent = 0;

    friend bool operator==(const Candidate &, const Candidate &) = default;
};

// The profile analysis as a row holds it.
struct ProfileSummary {
    int keyCode = 0; // may name no key
    double confidence = 0.0;
    bool ambiguous = false;
    std::int64_t keyChanges = 0;
    std::optional<int> keyFifths; // the signature a score writes the key with

    friend bool operator==(const ProfileSummary &, const ProfileSummary &) = default;
};

struct FileResult {
    std::string path;
    std::string key; // standard name; empty when the run found no key
    int keyCode = 0;
    std::string signature; // "00", "2#", "5b"
    std::optional<int> probability;
    std::vector<Candidate> candidates; // best first: candidates[0] is the overall key
    int timelinePoints = 0;
    std::string outcome; // the detect outcome ("reported", "no-data", "file-refused", ...) or "worker-failed"
    std::string message; // status text, the reader's reason, or why the worker failed
    bool splitFormat0 = false; // a format 0 file read track by channel (--split-format0)
    bool format0 = false;      // the file is format 0, whether it was read or refused
    std::optional<std::string> reason;     // the reader's reason for a refusal
    std::optional<ProfileSummary> profile; // when the profile analysis ran

    friend bool operator==(const FileResult &, const FileResult &) = default;
};

// How a result counts in the summary line.
enum class OutcomeClass { Read, Refused, Failed };
OutcomeClass classify(const FileResult &r);

inline constexpr std::string_view WorkerFailedOutcome = "worker-failed";

// A file whose worker crashed or ran out of time: the path and why, nothing else.
FileResult workerFailure(std::string path, std::string message);

// The row of a fast run of the file at path (its bytes as given).
FileResult resultRow(const FileAnalysis &analysis, const LabelTexts &texts, std::string path);

// One value of a row; nothing where the row has none (an empty CSV field, Python's None).
using Cell = std::variant<std::monostate, std::string, std::int64_t, double, bool>;

enum class CellKind { Text, Integer, Number, Boolean };

// Where a column is shown.
enum ColumnUse : unsigned {
    InCsv = 1,        // the command's and the page's CSV
    InCsvNamed = 2,   // the CSV with another notation than the standard one
    InTable = 4,      // the Python package's tables
};

// A column: its name as the CSV writes it ("keyCode"; Python spells it snake_case), its
// kind, whether a row may lack it, where it is shown and its value in a row.
struct Column {
    std::string_view name;
    CellKind kind;
    bool optional;
    unsigned use;
    Cell (*value)(const FileResult &row, Notation notation);
};

// Every column, in the order each front end shows the ones it shows.
extern const std::array<Column, 25> Columns;

// "candidate2KeyCode" as Python spells it: "candidate2_key_code".
std::string snakeCase(std::string_view name);

// CSV as RFC 4180 writes it: CRLF line ends; a field holding a comma, a quote or a line
// end is quoted, with its quotes doubled; bytes are kept as they are (UTF-8 stays UTF-8).
// The columns in CSV; another notation than the standard adds its names.
std::string csvHeader(Notation notation = Notation::Standard);
std::string csvRow(const FileResult &r, Notation notation = Notation::Standard);

} // namespace tunedeck::batch

#endif
