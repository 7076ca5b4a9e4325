#include "collection/outputformats.h"

#include <QJsonDocument>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace tunedeck::collection {

namespace {

constexpr std::array<std::pair<OutputFormat, std::string_view>, 4> FormatNames{
    {{OutputFormat::Text, "text"}, {OutputFormat::Json, "json"}, {OutputFormat::JsonLines, "jsonl"},
     {OutputFormat::Csv, "csv"}}};

// QJsonDocument indents by four spaces a level.
constexpr char Indent[] = "    ";

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

QByteArray JsonArrayWriter::begin() const
{
    return "[\n";
}

std::string JsonArrayWriter::item(const QJsonObject &o)
{
    // Strings never hold a raw line end, so every line end starts a line to indent.
    const QByteArray json = QJsonDocument(o).toJson(QJsonDocument::Indented);
    std::string out = Indent;
    out.reserve(std::size_t(json.size()) * 2);
    for (qsizetype i = 0, last = json.size() - 1; i < last; ++i) {
        out += json[i];
        if (json[i] == '\n')
            out += Indent;
    }
    return out;
}

std::string_view JsonArrayWriter::next()
{
    return std::exchange(any_, true) ? ",\n" : "";
}

QByteArray JsonArrayWriter::element(const QJsonObject &o)
{
    const std::string_view comma = next();
    return QByteArray(comma.data(), qsizetype(comma.size())) + QByteArray::fromStdString(item(o));
}

QByteArray JsonArrayWriter::end() const
{
    return any_ ? "\n]\n" : "]\n";
}

} // namespace tunedeck::collection
