#include "collection/outputformats.h"

#include <QJsonDocument>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace tunedeck::collection {

namespace {

constexpr const char *LineEnd = "\r\n";

constexpr std::array<std::pair<OutputFormat, std::string_view>, 4> FormatNames{
    {{OutputFormat::Text, "text"}, {OutputFormat::Json, "json"}, {OutputFormat::JsonLines, "jsonl"},
     {OutputFormat::Csv, "csv"}}};

// QJsonDocument indents by four spaces a level.
constexpr char Indent[] = "    ";

// Every field but the first follows a comma; the first may well be empty.
void add(std::string &row, std::string_view field)
{
    row += ',';
    row += csvField(field);
}

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
