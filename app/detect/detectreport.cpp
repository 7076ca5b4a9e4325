#include "detectreport.h"

#include "base/keynames.h"
#include "reports/analysistext.h"
#include "reports/resulttext.h"

#include <QJsonArray>

namespace tunedeck {

bool succeeded(const DetectResult &r)
{
    return r.run.outcome == FastOutcome::Reported || r.run.outcome == FastOutcome::NoData;
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

DetectTexts detectTexts(const DetectResult &r)
{
    DetectTexts c;
    const FastDetection &run = r.run;
    switch (run.outcome) {
    case FastOutcome::NotRun:
        return c;
    case FastOutcome::FileRefused:
        c.error = text::openError(r.openError);
        if (r.openError == OpenError::Reader)
            c.mess = text::readerReason(r.readerReason);
        return c;
    case FastOutcome::TrackNotFound:
        c.error = text::TrackNotFound;
        return c;
    case FastOutcome::OutOfBuffer:
        c.error = text::OutOfBuffer;
        c.mess = text::Cancelled;
        c.keyList = c.keyPoint = QStringList{text::Error};
        c.haStr = text::outOfBufferLimit();
        c.kqKey = text::NoKey;
        return c;
    default:
        break;
    }
    // Gathered: the result display was reset and the meter shown.
    c.kqKey = text::NoKey;
    c.cTime = text::ClockStart;
    c.kType = text::CurrentKey;
    c.keyTiming = text::meterTiming(run.meter);
    c.mess = text::Loading;
    if (run.outcome == FastOutcome::NoData) {
        c.mess = text::NoData;
        return c;
    }
    c.haStr = text::eventCount(int(run.events.size()));
    if (run.feed.lastBar > 0)
        c.cTime = text::bar(run.feed.lastBar);
    // The count is shown from the first accepted event on.
    if (run.feed.handled > 0)
        c.mess = text::handled(run.feed.handled);
    if (run.outcome == FastOutcome::LibraryError) {
        c.error = text::LibraryError;
        return c;
    }

    const OverallKeyReport &overall = run.reports.overall;
    c.kType = text::OverallKey;
    if (overall.nothingFound) {
        c.error = text::NothingFound;
        c.haStr = text::advice(overall.advice);
    }
    c.keyList = text::candidates(overall);
    if (overall.hasKey()) {
        c.kqKey = text::keyCode(overall.top().code);
        c.keyStr = text::keyName(overall.top().code);
        c.signat = text::signature(overall.top().code);
        c.haStr = text::probability(overall.top().percent);
    }
    if (run.reports.timing.overflow != TimelineOverflow::None)
        c.error = text::timelineOverflow(run.reports.timing.overflow);
    c.keyPoint = text::timelinePoints(run.reports.timing);
    if (run.outcome == FastOutcome::Cancelled)
        c.mess = text::Cancelled;
    return c;
}

namespace {

QString keyText(const DetectTexts &c)
{
    if (c.keyStr.isEmpty())
        return QStringLiteral("-");
    return c.signat.isEmpty() ? c.keyStr : c.keyStr + QStringLiteral(" (") + c.signat + QLatin1Char(')');
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

void analyseProfile(DetectResult &r, int ticksPerQuarter, const keyanalysis::AnalysisOptions &options)
{
    switch (r.run.outcome) {
    case FastOutcome::NoData:
    case FastOutcome::LibraryError:
    case FastOutcome::Cancelled:
    case FastOutcome::Reported:
        r.profile = keyanalysis::analyseKeys(r.run.events, ticksPerQuarter, r.run.ticksPerBar, options);
        break;
    default:
        r.profile.reset();
    }
}

QString formatText(const DetectResult &r, bool withProfile)
{
    const DetectTexts c = detectTexts(r);
    QString out = r.file + QLatin1Char('\n');
    const auto line = [&out](const QString &name, const QString &value) {
        out += QStringLiteral("  %1%2\n").arg(name, -18).arg(value);
    };
    if (r.run.outcome == FastOutcome::FileRefused) {
        line(QStringLiteral("Error"), c.error);
        if (!r.readerReason.empty())
            line(QStringLiteral("Reason"), QString::fromStdString(r.readerReason));
        return out;
    }
    line(c.kType.isEmpty() ? QStringLiteral("Key") : c.kType, keyText(c));
    line(QStringLiteral("Info"), c.haStr);
    listLines(out, QStringLiteral("Candidates"), c.keyList);
    listLines(out, c.keyTiming.isEmpty() ? QStringLiteral("Timing") : c.keyTiming, c.keyPoint);
    line(QStringLiteral("Events"), c.mess.trimmed());
    line(QStringLiteral("Last bar"), c.cTime);
    line(QStringLiteral("Status"), c.error);
    if (withProfile) {
        line(QStringLiteral("Profile analysis"), r.profile ? text::secondKey(*r.profile) : QStringLiteral("-"));
        line(QStringLiteral("Local keys"), r.profile ? text::localKeyChanges(*r.profile) : QStringLiteral("-"));
    }
    return out;
}

namespace {

QJsonObject profileJson(const keyanalysis::KeyAnalysis &a)
{
    const auto keyFields = [](QJsonObject &o, int code) {
        o[QStringLiteral("key")] = QString::fromStdString(analysisKeyName(code));
        o[QStringLiteral("keyCode")] = code;
    };
    QJsonObject o;
    keyFields(o, a.keyCode);
    o[QStringLiteral("confidence")] = a.confidence;
    o[QStringLiteral("ambiguous")] = a.ambiguous;
    QJsonArray candidates;
    for (const keyanalysis::KeyCandidate &k : a.candidates) {
        QJsonObject c;
        keyFields(c, k.keyCode);
        c[QStringLiteral("confidence")] = k.confidence;
        c[QStringLiteral("relation")] = QLatin1String(relationName(k.relation));
        candidates.append(c);
    }
    o[QStringLiteral("candidates")] = candidates;
    QJsonArray bars;
    for (const keyanalysis::BarKey &b : a.bars) {
        QJsonObject bar;
        bar[QStringLiteral("bar")] = qint64(b.bar);
        keyFields(bar, b.keyCode);
        bars.append(bar);
    }
    o[QStringLiteral("localKeys")] = bars;
    return o;
}

} // namespace

QJsonObject formatJson(const DetectResult &r)
{
    const DetectTexts c = detectTexts(r);
    QJsonObject o;
    o[QStringLiteral("file")] = r.file;
    o[QStringLiteral("outcome")] = outcomeName(r.run.outcome);
    if (!r.readerReason.empty())
        o[QStringLiteral("reason")] = QString::fromStdString(r.readerReason);
    o[QStringLiteral("keyCode")] = r.run.keyCode;
    o[QStringLiteral("key")] = c.keyStr;
    o[QStringLiteral("signature")] = c.signat;
    const OverallKeyReport &overall = r.run.reports.overall;
    const bool probability = overall.hasKey() && (r.run.outcome == FastOutcome::Reported
                                                  || r.run.outcome == FastOutcome::Cancelled);
    o[QStringLiteral("probability")] = probability ? QJsonValue(overall.top().percent) : QJsonValue();
    o[QStringLiteral("candidates")] = QJsonArray::fromStringList(c.keyList);
    o[QStringLiteral("points")] = QJsonArray::fromStringList(c.keyPoint);
    QJsonObject labels;
    for (const auto &[name, value] :
         {std::pair{"LblKType", &c.kType}, {"LblKeyStr", &c.keyStr}, {"LblSignat", &c.signat},
          {"LblKqKey", &c.kqKey}, {"LblHaStr", &c.haStr}, {"LblKeyTiming", &c.keyTiming},
          {"LblMess", &c.mess}, {"LblcTime", &c.cTime}, {"LblError", &c.error}})
        labels[QLatin1String(name)] = *value;
    o[QStringLiteral("labels")] = labels;
    o[QStringLiteral("profileAnalysis")] = r.profile ? QJsonValue(profileJson(*r.profile)) : QJsonValue();
    return o;
}

} // namespace tunedeck
