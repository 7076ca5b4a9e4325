#include "detectfile.h"

#include "base/keycodes.h"
#include "base/keynames.h"
#include "binding/tonalytelibrary.h"
#include "collection/filenames.h"
#include "collection/keysignatures.h"
#include "keymap/keymaprows.h"
#include "reports/runreports.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace tunedeck {

using collection::OutputFormat;

namespace {

collection::FileResult rowOf(const DetectResult &r, const DetectTexts &t, const OpenFile &file)
{
    collection::FileResult row;
    row.path = collection::nameBytes(r.file);
    row.keyCode = r.run.keyCode;
    row.key = t.keyStr.toStdString();
    row.signature = t.signat.toStdString();
    const OverallKeyReport &overall = r.run.reports.overall;
    if (overall.hasKey() && (r.run.outcome == FastOutcome::Reported || r.run.outcome == FastOutcome::Cancelled))
        row.probability = overall.top().percent;
    for (const RankedKey &k : overall.ranked)
        row.candidates.push_back({keyName(k.code, Notation::Standard), k.code, k.percent});
    row.timelinePoints = int(r.run.reports.timing.points.size());
    row.outcome = outcomeName(r.run.outcome).toStdString();
    row.message = r.readerReason.empty() ? t.error.toStdString() : r.readerReason;
    row.format0 = file.wasSplit() || (r.openError == OpenError::FormatNotSupported && file.isSplittableFormat0());
    row.splitFormat0 = file.wasSplit();
    return row;
}

} // namespace

FileAnswer answerFile(TonalyteLibrary &library, const collection::FileEntry &entry, const DetectSettings &settings)
{
    // Printed as the bytes it was given, whatever they are.
    const QString path = collection::nameText(entry.path);
    DetectResult r;
    r.file = path;
    OpenFile midi;
    midi.setSplitFormat0(settings.splitFormat0);
    if (const OpenResult opened = midi.open(entry.path); !opened) {
        refuse(r, opened.error());
    } else {
        library.KeyStopTimer(); // as the window ends any play first
        r.run = detectKey(library, midi, settings.options, settings.barLimit);
        // Only where it is printed or drawn.
        if (settings.format == OutputFormat::Json || settings.format == OutputFormat::JsonLines
            || settings.profileLines || settings.keyMap)
            analyseProfile(r, midi.ticksPerQuarter(), settings.analysis);
    }

    FileAnswer a;
    if (settings.keyMap && r.profile)
        a.map = fastKeyMap(r.run.reports.timing, *r.profile, r.run.feed.lastBar);
    const DetectTexts t = detectTexts(r);
    const OutputFormat format = settings.format;
    if (format == OutputFormat::Text)
        a.text = formatText(r, t, settings.profileLines) + QLatin1Char('\n');
    if (format == OutputFormat::Json || format == OutputFormat::JsonLines) {
        a.json = formatJson(r, t);
        collection::putFileName(a.json, entry.path); // valid JSON, and the exact name beside it
    }
    a.row = rowOf(r, t, midi);
    a.failed = !succeeded(r);
    if (a.failed) {
        a.error = QStringLiteral("tunedeck-detect: %1: %2").arg(path, t.error);
        if (!r.readerReason.empty())
            a.error += QStringLiteral(" (%1)").arg(QString::fromStdString(r.readerReason));
    }
    if (!a.json.isEmpty() && midi.wasSplit())
        a.json[QStringLiteral("splitFormat0")] = true;
    if (!a.json.isEmpty() && settings.notationFields && isKeyCode(r.run.keyCode))
        a.json[QStringLiteral("keyNotation")] =
            QString::fromStdString(keyName(r.run.keyCode, settings.notation));

    if (settings.keySignatureDir && r.run.outcome == FastOutcome::Reported) {
        std::vector<collection::KeyPoint> points;
        for (const TimelinePoint &p : r.run.reports.timing.points)
            points.push_back({std::uint32_t(p.time), p.code});
        const Result<> copied =
            collection::writeKeySignatureCopy(entry, *settings.keySignatureDir, points);
        if (!copied) {
            // The row says it too: a table read later shows which copies are missing.
            const std::string &why = copied.error().reason;
            a.failed = true;
            a.error = QStringLiteral("tunedeck-detect: %1: key signatures not written (%2)")
                          .arg(path, collection::nameText(why));
            a.row.message = a.row.message.empty() ? why : a.row.message + "; " + why;
            if (!a.json.isEmpty())
                a.json[QStringLiteral("reason")] = QString::fromStdString(why);
        }
    }
    return a;
}

FileAnswer failedAnswer(const std::string &path, const std::string &why)
{
    FileAnswer a;
    a.failed = true;
    a.row = collection::workerFailure(path, why);
    const QString name = collection::nameText(path);
    const QString reason = QString::fromStdString(why);
    a.error = QStringLiteral("tunedeck-detect: %1: %2").arg(name, reason);
    a.text = name + QStringLiteral("\n  %1%2\n\n").arg(QStringLiteral("Error"), -18).arg(reason);
    collection::putFileName(a.json, path);
    a.json[QStringLiteral("outcome")] = QString::fromLatin1(collection::WorkerFailedOutcome.data(),
                                                            qsizetype(collection::WorkerFailedOutcome.size()));
    a.json[QStringLiteral("reason")] = reason;
    return a;
}

std::string encodeAnswer(const FileAnswer &a)
{
    QJsonObject o;
    if (!a.text.isEmpty())
        o[QStringLiteral("text")] = a.text;
    if (!a.json.isEmpty())
        o[QStringLiteral("json")] = a.json;
    if (!a.error.isEmpty())
        o[QStringLiteral("error")] = a.error;
    o[QStringLiteral("failed")] = a.failed;
    o[QStringLiteral("row")] = collection::toJson(a.row);
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<FileAnswer> decodeAnswer(const std::string &payload)
{
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(payload));
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    FileAnswer a;
    a.text = o.value(QStringLiteral("text")).toString();
    a.json = o.value(QStringLiteral("json")).toObject();
    a.error = o.value(QStringLiteral("error")).toString();
    a.failed = o.value(QStringLiteral("failed")).toBool();
    std::optional<collection::FileResult> row = collection::fromJson(o.value(QStringLiteral("row")));
    if (!row)
        return std::nullopt;
    a.row = std::move(*row);
    return a;
}

} // namespace tunedeck
