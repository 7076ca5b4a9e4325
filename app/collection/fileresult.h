// One file's detection as the collection tools pass it around: filled by the detect
// pipeline (or a worker), formatted once at the edge.
#ifndef TUNEDECK_COLLECTION_FILERESULT_H
#define TUNEDECK_COLLECTION_FILERESULT_H

#include "base/keynames.h"
#include <QJsonObject>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::collection {

class FieldReader;
class FieldWriter;

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

// The result as a JSON object, as a worker hands it back. Text that is not UTF-8 (a file
// name in some other encoding) keeps its bytes as nameText does, and comes back whole.
QJsonObject toJson(const FileResult &r);

// Reads what toJson wrote (fields it does not know are ignored); nothing for a value that
// is not an object.
std::optional<FileResult> fromJson(const QJsonValue &json);

// The result as fields of a worker's answer, and back: bytes as they are, nothing to parse
// but lengths. Nothing when the fields are not a result.
void addFields(FieldWriter &out, const FileResult &r);
std::optional<FileResult> readFields(FieldReader &in);

} // namespace tunedeck::collection

#endif
