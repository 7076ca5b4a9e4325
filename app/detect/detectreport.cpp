#include "detectreport.h"

#include "base/keynames.h"
#include "reports/analysistext.h"
#include "reports/qttext.h"
#include "reports/resulttext.h"
#include "reports/runtexts.h"

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
    const RunTexts t = r.run.outcome == FastOutcome::FileRefused ? openTexts(r.openError, r.readerReason)
                                                                 : fastRunTexts(r.run);
    DetectTexts c;
    c.kType = qtext(RunTexts::shown(t.kType));
    c.haStr = qtext(RunTexts::shown(t.haStr));
    c.keyTiming = qtext(RunTexts::shown(t.keyTiming));
    c.mess = qtext(RunTexts::shown(t.mess));
    c.cTime = qtext(RunTexts::shown(t.cTime));
    c.error = qtext(RunTexts::shown(t.error));
    if (t.keyList)
        c.keyList = qtexts(*t.keyList);
    if (t.keyPoint)
        c.keyPoint = qtexts(*t.keyPoint);
    if (t.key) {
        const KeyTexts key = keyTexts(*t.key);
        c.kqKey = qtext(key.code);
        c.keyStr = qtext(key.name);
        c.signat = qtext(key.signature);
    }
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

void refuse(DetectResult &r, const OpenFailure &failure)
{
    r.openError = failure.kind;
    // A file that is no regular file says so: there is nothing the user could fix in it.
    const bool notRegular = failure.kind == OpenError::FileOpen && failure.reason == MidiFile::NotRegularFile;
    r.readerReason = failure.kind == OpenError::Reader || notRegular ? failure.reason : std::string();
    r.run.outcome = FastOutcome::FileRefused;
}

void analyseProfile(DetectResult &r, int ticksPerQuarter, const profile::AnalysisOptions &options)
{
    switch (r.run.outcome) {
    case FastOutcome::NoData:
    case FastOutcome::LibraryError:
    case FastOutcome::Cancelled:
    case FastOutcome::Reported:
        r.profile = profile::analyseProfile(r.run.events, ticksPerQuarter, r.run.ticksPerBar, options);
        break;
    default:
        r.profile.reset();
    }
}

QString formatText(const DetectResult &r, const DetectTexts &c, bool withProfile)
{
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
        line(QStringLiteral("Profile analysis"), qtext(r.profile ? text::profileKey(*r.profile) : "-"));
        line(QStringLiteral("Local keys"), qtext(r.profile ? text::localKeyChanges(*r.profile) : "-"));
    }
    return out;
}

namespace {

QJsonObject profileJson(const profile::ProfileAnalysis &a)
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
    for (const profile::KeyCandidate &k : a.candidates) {
        QJsonObject c;
        keyFields(c, k.keyCode);
        c[QStringLiteral("confidence")] = k.confidence;
        c[QStringLiteral("relation")] = QLatin1String(relationName(k.relation));
        candidates.append(c);
    }
    o[QStringLiteral("candidates")] = candidates;
    QJsonArray bars;
    for (const profile::BarKey &b : a.bars) {
        QJsonObject bar;
        bar[QStringLiteral("bar")] = qint64(b.bar);
        keyFields(bar, b.keyCode);
        bars.append(bar);
    }
    o[QStringLiteral("localKeys")] = bars; // at most MaxBars
    QJsonArray changes; // every bar, however far
    for (const profile::BarKey &b : a.barChanges) {
        QJsonObject change;
        change[QStringLiteral("bar")] = qint64(b.bar);
        keyFields(change, b.keyCode);
        changes.append(change);
    }
    o[QStringLiteral("localKeyChanges")] = changes;
    return o;
}

} // namespace

QJsonObject formatJson(const DetectResult &r, const DetectTexts &c)
{
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
