// The collection's output formats (the JSON array is batch/jsonwriter's).
#ifndef TUNEDECK_QT_COLLECTION_OUTPUTFORMATS_H
#define TUNEDECK_QT_COLLECTION_OUTPUTFORMATS_H

#include <optional>
#include <string>
#include <string_view>

namespace tunedeck::collection {

enum class OutputFormat { Text, Json, JsonLines, Csv, RomanText };

// "text", "json", "jsonl", "csv", "rntxt" (any case); nothing for another word.
std::optional<OutputFormat> parseOutputFormat(std::string_view word);
// The word parseOutputFormat reads as format.
std::string_view outputFormatName(OutputFormat format);

} // namespace tunedeck::collection

#endif
