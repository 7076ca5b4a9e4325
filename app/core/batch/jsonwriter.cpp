#include "core/batch/jsonwriter.h"

#include "core/batch/filenames.h"
#include "core/reports/numbertext.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace tunedeck::batch {

using nlohmann::json;

namespace {

void indent(std::string &out, int level)
{
    out.append(std::size_t(4 * level), ' ');
}

void writeString(std::string &out, std::string_view raw)
{
    const std::string valid = isUtf8(raw) ? std::string() : validUtf8(raw);
    const std::string_view s = valid.empty() ? raw : std::string_view(valid);
    out += '"';
    for (const char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static constexpr char Hex[] = "0123456789abcdef";
                out += "\\u00";
                out += Hex[(c >> 4) & 0xF];
                out += Hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

template <typename Integer>
void writeInteger(std::string &out, Integer n)
{
    char buf[24];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
}

// Whole numbers that a double holds exactly are written as integers; the rest in their
// shortest digits, in the shorter of the decimal and the exponent form (the decimal one on
// a tie), the exponent with at least two digits.
void writeDouble(std::string &out, double d)
{
    if (!std::isfinite(d)) {
        out += "null";
        return;
    }
    if (d == std::trunc(d) && std::fabs(d) <= 9007199254740992.0)
        return writeInteger(out, static_cast<long long>(d));
    const std::string text = shortestScientific(d); // emscripten's libc++ has no floating to_chars
    const std::string_view s(text);
    const bool negative = s.front() == '-';
    const std::size_t e = s.find('e');
    const std::string_view mantissa = s.substr(negative ? 1 : 0, e - (negative ? 1 : 0));
    int exponent = 0;
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), exponent);
    std::string digits;
    for (const char c : mantissa)
        if (c != '.')
            digits += c;
    const int n = int(digits.size()), point = exponent + 1;
    const int decimalLength = point <= 0 ? 2 - point + n : point >= n ? point : n + 1;
    const int exponentLength = int(mantissa.size()) + 2 + (std::abs(exponent) >= 100 ? 3 : 2);
    if (decimalLength > exponentLength) {
        out += s;
        return;
    }
    if (negative)
        out += '-';
    if (point <= 0)
        out.append("0.").append(std::size_t(-point), '0').append(digits);
    else if (point >= n)
        out.append(digits).append(std::size_t(point - n), '0');
    else
        out.append(digits, 0, std::size_t(point)).append(".").append(digits, std::size_t(point));
}

void writeScalar(std::string &out, const json &v)
{
    switch (v.type()) {
    case json::value_t::boolean: out += v.get<bool>() ? "true" : "false"; break;
    case json::value_t::number_integer: writeInteger(out, v.get<std::int64_t>()); break;
    case json::value_t::number_unsigned: writeInteger(out, v.get<std::uint64_t>()); break;
    case json::value_t::number_float: writeDouble(out, v.get<double>()); break;
    case json::value_t::string: writeString(out, v.get_ref<const std::string &>()); break;
    default: out += "null"; break;
    }
}

} // namespace

void writeIndented(std::string &out, const json &v, int level)
{
    if (v.is_object() || v.is_array()) {
        const bool object = v.is_object();
        out += object ? "{\n" : "[\n";
        bool first = true;
        for (auto it = v.begin(); it != v.end(); ++it) {
            if (!std::exchange(first, false))
                out += ",\n";
            indent(out, level + 1);
            if (object) {
                writeString(out, it.key());
                out += ": ";
            }
            writeIndented(out, *it, level + 1);
        }
        if (!first)
            out += '\n';
        indent(out, level);
        out += object ? '}' : ']';
        return;
    }
    writeScalar(out, v);
}

void writeCompact(std::string &out, const json &v)
{
    if (v.is_object() || v.is_array()) {
        const bool object = v.is_object();
        out += object ? '{' : '[';
        bool first = true;
        for (auto it = v.begin(); it != v.end(); ++it) {
            if (!std::exchange(first, false))
                out += ',';
            if (object) {
                writeString(out, it.key());
                out += ':';
            }
            writeCompact(out, *it);
        }
        out += object ? '}' : ']';
        return;
    }
    writeScalar(out, v);
}

std::string indentedJson(const json &v)
{
    std::string out;
    writeIndented(out, v);
    return out + '\n';
}

std::string JsonArrayWriter::item(const json &o)
{
    std::string out = "    ";
    writeIndented(out, o, 1);
    return out;
}

std::string_view JsonArrayWriter::next()
{
    return std::exchange(any_, true) ? ",\n" : "";
}

} // namespace tunedeck::batch
