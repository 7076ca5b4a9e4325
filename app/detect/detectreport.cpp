#include "detectreport.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace tunedeck {

bool succeeded(const DetectResult &r)
{
    return r.outcome == FastOutcome::Reported || r.outcome == FastOutcome::NoData;
}

QString outcomeName(FastOutcome outcome)
{
    switch (outcome) {
    case FastOutcome::NotRun: return QStringLiteral("not-run");
    case FastOutcome::FileRefused: return QStringLiteral("file-refused");
    case FastOutcome::TrackNotFound: return QStringLiteral("track-not-found");
    case FastOutcome::OutOfBuffer: return QStringLiteral("out-of-buffer");
    case FastOutcome::NoData: return QStringLiteral("no-data");
    case FastOutcome::LibraryError: return QStringLiteral("library-error");
    case FastOutcome::Cancelled: return QStringLiteral("cancelled");
    case FastOutcome::Reported: return QStringLiteral("reported");
    }
    return {};
}

namespace {

QString keyText(const TextDisplay &d)
{
    const QString key = d[Caption::LblKeyStr];
    if (key.isEmpty())
        return QStringLiteral("-");
    const QString signature = d[Caption::LblSignat];
    return signature.isEmpty() ? key : key + QStringLiteral(" (") + signature + QLatin1Char(')');
}

void listLines(QString &out, const QString &heading, const QStringList &items)
{
    out += QStringLiteral("  %1").arg(heading, -18);
    if (items.isEmpty())
        out += QStringLiteral("-\n");
    for (qsizetype i = 0; i < items.size(); ++i)
        out += (i ? QString(20, QLatin1Char(' ')) : QString()) + items[i] + QLatin1Char('\n');
}

} // namespace

QString formatText(const DetectResult &r)
{
    const TextDisplay &d = r.display;
    QString out = r.file + QLatin1Char('\n');
    const auto line = [&out](const QString &name, const QString &value) {
        out += QStringLiteral("  %1%2\n").arg(name, -18).arg(value);
    };
    if (r.outcome == FastOutcome::FileRefused) {
        line(QStringLiteral("Error"), d[Caption::LblError]);
        if (!r.reason.isEmpty())
            line(QStringLiteral("Reason"), r.reason);
        return out;
    }
    line(d[Caption::LblKType].isEmpty() ? QStringLiteral("Key") : d[Caption::LblKType], keyText(d));
    line(QStringLiteral("Info"), d[Caption::LblHaStr]);
    listLines(out, QStringLiteral("Candidates"), d.keyList);
    listLines(out, d[Caption::LblKeyTiming].isEmpty() ? QStringLiteral("Timing") : d[Caption::LblKeyTiming], d.keyPoint);
    line(QStringLiteral("Events"), d[Caption::LblMess].trimmed());
    line(QStringLiteral("Last bar"), d[Caption::LblcTime]);
    line(QStringLiteral("Status"), d[Caption::LblError]);
    return out;
}

QJsonObject formatJson(const DetectResult &r)
{
    const TextDisplay &d = r.display;
    QJsonObject o;
    o[QStringLiteral("file")] = r.file;
    o[QStringLiteral("outcome")] = outcomeName(r.outcome);
    if (!r.reason.isEmpty())
        o[QStringLiteral("reason")] = r.reason;
    o[QStringLiteral("keyCode")] = r.keyCode;
    o[QStringLiteral("key")] = d[Caption::LblKeyStr];
    o[QStringLiteral("signature")] = d[Caption::LblSignat];
    static const QRegularExpression probability(QStringLiteral("^Probability = (\\d+)%$"));
    const auto m = probability.match(d[Caption::LblHaStr]);
    o[QStringLiteral("probability")] = m.hasMatch() ? QJsonValue(m.captured(1).toInt()) : QJsonValue();
    o[QStringLiteral("candidates")] = QJsonArray::fromStringList(d.keyList);
    o[QStringLiteral("points")] = QJsonArray::fromStringList(d.keyPoint);
    QJsonObject labels;
    for (const auto &[caption, name] :
         {std::pair{Caption::LblKType, "LblKType"}, {Caption::LblKeyStr, "LblKeyStr"},
          {Caption::LblSignat, "LblSignat"}, {Caption::LblKqKey, "LblKqKey"}, {Caption::LblHaStr, "LblHaStr"},
          {Caption::LblKeyTiming, "LblKeyTiming"}, {Caption::LblMess, "LblMess"},
          {Caption::LblcTime, "LblcTime"}, {Caption::LblError, "LblError"}})
        labels[QLatin1String(name)] = d[caption];
    o[QStringLiteral("labels")] = labels;
    return o;
}

} // namespace tunedeck
