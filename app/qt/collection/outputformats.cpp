#include "qt/collection/outputformats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace tunedeck::collection {

namespace {

constexpr std::array<std::pair<OutputFormat, std::string_view>, 5> FormatNames{
    {{OutputFormat::Text, "text"}, {OutputFormat::Json, "json"}, {OutputFormat::JsonLines, "jsonl"},
     {OutputFormat::Csv, "csv"}, {OutputFormat::RomanText, "rntxt"}}};

} // namespace

std::optional<OutputFormat> parseOutputFormat(std::string_view word)
{
    std::string lower(word);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    for (const auto &[format, name] : FormatNames)
        if (lower == name)
            return format;
    return std::nullopt;
}

std::string_view outputFormatName(OutputFormat format)
{
    for (const auto &[f, name] : FormatNames)
        if (f == format)
            return name;
    return {};
}

} // namespace tunedeck::collection
