#include "collection/fileresult.h"

#include "collection/filenames.h"

#include <QJsonArray>
#include <QJsonObject>

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

} // namespace tunedeck::collection
