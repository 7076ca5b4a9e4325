// The collection's output formats, as pure functions over results. Standard key names are
// in every format; another notation adds its own fields beside them.
#ifndef TUNEDECK_COLLECTION_OUTPUTFORMATS_H
#define TUNEDECK_COLLECTION_OUTPUTFORMATS_H

#include "base/keynames.h"
#include "collection/fileresult.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <string_view>

namespace tunedeck::collection {

enum class OutputFormat { Text, Json, JsonLines, Csv };

// "text", "json", "jsonl", "csv" (any case); nothing for another word.
std::optional<OutputFormat> parseOutputFormat(std::string_view word);
// The word parseOutputFormat reads as format.
std::string_view outputFormatName(OutputFormat format);

// A JSON array written one element at a time, byte for byte as QJsonDocument prints the
// whole array indented, so that a collection's results need not be held all at once. An
// element is its comma (none before the first) and its item, which a worker can make.
class JsonArrayWriter {
public:
    // One object as the array holds it: indented one level, no comma, no line end.
    static std::string item(const QJsonObject &o);
    QByteArray begin() const;
    // The comma before the next element, or nothing before the first.
    std::string_view next();
    QByteArray element(const QJsonObject &o);
    QByteArray end() const;

private:
    bool any_ = false;
};


} // namespace tunedeck::collection

#endif
