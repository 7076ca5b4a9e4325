// One file's detection as a row of a collection: what the command's CSV and summary read,
// made from a fast run, and the CSV itself. Plain C++, for the command, the Python module and
// the page alike.
#ifndef TUNEDECK_RESULTROW_H
#define TUNEDECK_RESULTROW_H

#include "analysis/analysistexts.h"
#include "base/keynames.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::collection {

struct Candidate {
    std::string key; // standard name, "C Major"
    int keyCode = 0;
    int percent = 0;

    friend bool operator==(const Candidate &, const Candidate &) = default;
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

// CSV as RFC 4180 writes it: CRLF line ends; a field holding a comma, a quote or a line
// end is quoted, with its quotes doubled; bytes are kept as they are (UTF-8 stays UTF-8).
// The header starts file,key,keyCode,signature,probability,outcome,message; then
// keyNotation (another notation only), the second and third candidates (key, code,
// percent, and their notation), timelinePoints and splitFormat0.
std::string csvHeader(Notation notation = Notation::Standard);
std::string csvRow(const FileResult &r, Notation notation = Notation::Standard);

// One field as it stands in a CSV row.
std::string csvField(std::string_view text);

} // namespace tunedeck::collection

#endif
