#include "collection/fileresult.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace tunedeck::collection {

namespace {

// Length of the well-formed UTF-8 sequence at s[i], or 0.
std::size_t utf8Length(std::string_view s, std::size_t i)
{
    const auto at = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
    const unsigned c = at(i);
    const auto cont = [&](std::size_t k) { return (at(k) & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF)
        return cont(i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned c1 = at(i + 1);
        const bool ok = cont(i + 1) && cont(i + 2) && !(c == 0xE0 && c1 < 0xA0) && !(c == 0xED && c1 >= 0xA0);
        return ok ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned c1 = at(i + 1);
        const bool ok = cont(i + 1) && cont(i + 2) && cont(i + 3) && !(c == 0xF0 && c1 < 0x90)
                        && !(c == 0xF4 && c1 >= 0x90);
        return ok ? 4 : 0;
    }
    return 0;
}

void appendField(std::string &out, const char *name, std::string_view value)
{
    out += '"';
    out += name;
    out += "\":";
    appendJsonString(out, value);
    out += ',';
}

void appendField(std::string &out, const char *name, long long value)
{
    out += '"';
    out += name;
    out += "\":";
    out += std::to_string(value);
    out += ',';
}

void appendBool(std::string &out, const char *name, bool value)
{
    out += '"';
    out += name;
    out += "\":";
    out += value ? "true," : "false,";
}

std::string text(const QJsonObject &o, const char *name)
{
    return o.value(QLatin1String(name)).toString().toStdString();
}

} // namespace

OutcomeClass classify(const FileResult &r)
{
    if (r.outcome == "reported" || r.outcome == "no-data")
        return OutcomeClass::Read;
    if (r.outcome == "file-refused")
        return OutcomeClass::Refused;
    return OutcomeClass::Failed;
}

FileResult workerFailure(std::string path, std::string message)
{
    FileResult r;
    r.path = std::move(path);
    r.outcome = WorkerFailedOutcome;
    r.message = std::move(message);
    return r;
}

void appendJsonString(std::string &out, std::string_view s)
{
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            const std::size_t n = utf8Length(s, i);
            if (n) {
                out.append(s, i, n);
                i += n;
            } else {
                out += "\\ufffd"; // not UTF-8: a file name in some other encoding
                ++i;
            }
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += char(c);
            }
        }
        ++i;
    }
    out += '"';
}

std::string toJson(const FileResult &r, Notation notation)
{
    const bool named = notation != Notation::Standard;
    std::string out = "{";
    out.reserve(256 + r.path.size() + r.message.size());
    appendField(out, "file", r.path);
    appendField(out, "key", r.key);
    if (named)
        appendField(out, "keyNotation", keyName(r.keyCode, notation));
    appendField(out, "keyCode", r.keyCode);
    appendField(out, "signature", r.signature);
    out += r.probability ? "\"probability\":" + std::to_string(*r.probability) + "," : "\"probability\":null,";
    out += "\"candidates\":[";
    for (std::size_t i = 0; i < r.candidates.size(); ++i) {
        const Candidate &c = r.candidates[i];
        out += i ? ",{" : "{";
        appendField(out, "key", c.key);
        if (named)
            appendField(out, "keyNotation", keyName(c.keyCode, notation));
        appendField(out, "keyCode", c.keyCode);
        appendField(out, "percent", c.percent);
        out.back() = '}';
    }
    out += "],";
    appendField(out, "timelinePoints", r.timelinePoints);
    appendField(out, "outcome", r.outcome);
    appendField(out, "message", r.message);
    appendBool(out, "splitFormat0", r.splitFormat0);
    appendBool(out, "format0", r.format0);
    out.back() = '}';
    return out;
}

bool fromJson(std::string_view json, FileResult &r)
{
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromRawData(json.data(), qsizetype(json.size())));
    if (!doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    r = FileResult{};
    r.path = text(o, "file");
    r.key = text(o, "key");
    r.keyCode = o.value(QLatin1String("keyCode")).toInt();
    r.signature = text(o, "signature");
    const QJsonValue probability = o.value(QLatin1String("probability"));
    if (probability.isDouble())
        r.probability = probability.toInt();
    for (const QJsonValue &v : o.value(QLatin1String("candidates")).toArray()) {
        const QJsonObject c = v.toObject();
        r.candidates.push_back({text(c, "key"), c.value(QLatin1String("keyCode")).toInt(),
                                c.value(QLatin1String("percent")).toInt()});
    }
    r.timelinePoints = o.value(QLatin1String("timelinePoints")).toInt();
    r.outcome = text(o, "outcome");
    r.message = text(o, "message");
    r.splitFormat0 = o.value(QLatin1String("splitFormat0")).toBool();
    r.format0 = o.value(QLatin1String("format0")).toBool();
    return true;
}

} // namespace tunedeck::collection
