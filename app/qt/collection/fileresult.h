// One file's detection as the collection tools pass it around: filled by the detect
// pipeline (or a worker), formatted once at the edge.
#ifndef TUNEDECK_QT_COLLECTION_FILERESULT_H
#define TUNEDECK_QT_COLLECTION_FILERESULT_H

#include "core/batch/resultrow.h"

#include <QJsonObject>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::collection {

using batch::Candidate;
using batch::FileResult;

class FieldReader;
class FieldWriter;

// The result as a JSON object, as a worker hands it back. Text that is not UTF-8 (a file
// name in some other encoding) keeps its bytes as nameText does, and comes back whole.
QJsonObject toJson(const FileResult &r);

// Reads what toJson wrote (fields it does not know are ignored); nothing for a value that
// is not an object.
std::optional<FileResult> fromJson(const QJsonValue &json);

// The result as fields of a worker's answer, and back: bytes as they are, nothing to parse
// but lengths; only what the command shows (not the reason or the profile). Nothing when
// the fields are not a result.
void addFields(FieldWriter &out, const FileResult &r);
std::optional<FileResult> readFields(FieldReader &in);

} // namespace tunedeck::collection

#endif
