// The command's JSON as text, written straight from the core's values: the layout it has
// always printed (keys sorted, four spaces a level, an empty list or object still opened on
// its own line; numbers in their shortest form, whole ones without a point; text that is not
// UTF-8 made valid byte by byte), without building the document twice.
#ifndef TUNEDECK_CORE_BATCH_JSONWRITER_H
#define TUNEDECK_CORE_BATCH_JSONWRITER_H

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace tunedeck::batch {

// The value indented, as it stands `level` levels deep (its first line not indented, its
// last without a line end).
void writeIndented(std::string &out, const nlohmann::json &value, int level = 0);
// The value on one line, without spaces.
void writeCompact(std::string &out, const nlohmann::json &value);

// A whole document: indented, with its line end.
std::string indentedJson(const nlohmann::json &value);

// A JSON array written one element at a time, byte for byte as the whole array indented,
// so that a collection's results need not be held all at once. An element is its comma
// (none before the first) and its item, which a worker can make.
class JsonArrayWriter {
public:
    // One object as the array holds it: indented one level, no comma, no line end.
    static std::string item(const nlohmann::json &o);
    std::string_view begin() const { return "[\n"; }
    // The comma before the next element, or nothing before the first.
    std::string_view next();
    std::string_view end() const { return any_ ? "\n]\n" : "]\n"; }

private:
    bool any_ = false;
};

} // namespace tunedeck::batch

#endif
