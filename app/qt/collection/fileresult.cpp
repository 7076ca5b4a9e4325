#include "qt/collection/fileresult.h"

#include "qt/collection/filenames.h"
#include "qt/collection/workerprotocol.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdlib>

namespace tunedeck::collection {

namespace {

// Names and the reasons that hold them need not be UTF-8: every text keeps its bytes.
QString text(const std::string &s)
{
    return nameText(s);
}

std::string text(const QJsonObject &o, const char *name)
{
    return nameBytes(o.value(QLatin1String(name)).toString());
}

int number(const QJsonObject &o, const char *name)
{
    return o.value(QLatin1String(name)).toInt();
}

} // namespace

QJsonObject toJson(const FileResult &r)
{
    QJsonArray candidates;
    for (const Candidate &c : r.candidates)
        candidates.append(QJsonObject{{"key", text(c.key)}, {"keyCode", c.keyCode}, {"percent", c.percent}});
    return QJsonObject{{"file", text(r.path)},
                       {"key", text(r.key)},
                       {"keyCode", r.keyCode},
                       {"signature", text(r.signature)},
                       {"probability", r.probability ? QJsonValue(*r.probability) : QJsonValue()},
                       {"candidates", candidates},
                       {"timelinePoints", r.timelinePoints},
                       {"outcome", text(r.outcome)},
                       {"message", text(r.message)},
                       {"splitFormat0", r.splitFormat0},
                       {"format0", r.format0}};
}

std::optional<FileResult> fromJson(const QJsonValue &json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject o = json.toObject();
    FileResult r;
    r.path = text(o, "file");
    r.key = text(o, "key");
    r.keyCode = number(o, "keyCode");
    r.signature = text(o, "signature");
    const QJsonValue probability = o.value(QLatin1String("probability"));
    if (probability.isDouble())
        r.probability = probability.toInt();
    for (const QJsonValue &v : o.value(QLatin1String("candidates")).toArray()) {
        const QJsonObject c = v.toObject();
        r.candidates.push_back({text(c, "key"), number(c, "keyCode"), number(c, "percent")});
    }
    r.timelinePoints = number(o, "timelinePoints");
    r.outcome = text(o, "outcome");
    r.message = text(o, "message");
    r.splitFormat0 = o.value(QLatin1String("splitFormat0")).toBool();
    r.format0 = o.value(QLatin1String("format0")).toBool();
    return r;
}

void addFields(FieldWriter &out, const FileResult &r)
{
    out.add(r.path).add(r.key).add(r.keyCode).add(r.signature);
    out.add(r.probability ? std::to_string(*r.probability) : std::string());
    out.add(static_cast<long long>(r.candidates.size()));
    for (const Candidate &c : r.candidates)
        out.add(c.key).add(c.keyCode).add(c.percent);
    out.add(r.timelinePoints).add(r.outcome).add(r.message);
    out.add(int(r.splitFormat0) + 2 * int(r.format0));
}

std::optional<FileResult> readFields(FieldReader &in)
{
    FileResult r;
    const auto text = [&in](std::string &to) {
        const std::optional<std::string_view> f = in.next();
        if (f)
            to.assign(*f);
        return bool(f);
    };
    const auto number = [&in](int &to) {
        const std::optional<long long> n = in.number();
        if (n)
            to = int(*n);
        return bool(n);
    };
    std::string probability;
    int candidates = 0;
    if (!text(r.path) || !text(r.key) || !number(r.keyCode) || !text(r.signature) || !text(probability)
        || !number(candidates) || candidates < 0 || candidates > 1000)
        return std::nullopt;
    if (!probability.empty())
        r.probability = std::atoi(probability.c_str());
    r.candidates.resize(std::size_t(candidates));
    for (Candidate &c : r.candidates)
        if (!text(c.key) || !number(c.keyCode) || !number(c.percent))
            return std::nullopt;
    int flags = 0;
    if (!number(r.timelinePoints) || !text(r.outcome) || !text(r.message) || !number(flags))
        return std::nullopt;
    r.splitFormat0 = flags & 1;
    r.format0 = flags & 2;
    return r;
}

} // namespace tunedeck::collection
