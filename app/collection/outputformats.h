// The collection's output formats, as pure functions over results. Standard key names are
// in every format; another notation adds its own fields beside them.
#ifndef TUNEDECK_COLLECTION_OUTPUTFORMATS_H
#define TUNEDECK_COLLECTION_OUTPUTFORMATS_H

#include "base/keynames.h"
#include "collection/fileresult.h"

#include <string>
#include <string_view>

namespace tunedeck::collection {

enum class OutputFormat { Text, JsonLines, Csv };

// "text", "jsonl", "csv" (any case); nothing for another word.
std::optional<OutputFormat> parseOutputFormat(std::string_view word);

// JSON Lines: one object per file, ended by "\n".
std::string jsonLine(const FileResult &r, Notation notation = Notation::Standard);

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
