#include "detectfile.h"

#include "base/keycodes.h"
#include "base/keynames.h"
#include "engine/tonalyteengine.h"
#include "collection/filenames.h"
#include "collection/keysignatures.h"
#include "collection/workerprotocol.h"
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

// The answer's bytes on stdout, from its text or JSON as the format wants.
std::string printed(const QString &text, const QJsonObject &json, const collection::FileResult &row,
                    const DetectSettings &settings)
{
    switch (settings.format) {
    case OutputFormat::Text: return textBytes(text);
    case OutputFormat::Json: return collection::JsonArrayWriter::item(json);
    case OutputFormat::JsonLines: return QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString() + '\n';
    case OutputFormat::Csv: return collection::csvRow(row, settings.notation);
    }
    return {};
}

} // namespace

std::string textBytes(const QString &text)
{
#ifdef _WIN32
    const QByteArray local = text.toLocal8Bit();
    return std::string(local.constData(), std::size_t(local.size()));
#else
    return collection::nameBytes(text);
#endif
}

FileAnswer answerFile(TonalyteEngine &library, const collection::FileEntry &entry, const DetectSettings &settings)
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
    QString text;
    QJsonObject json;
    if (settings.keyMap && r.profile)
        a.map = fastKeyMap(r.run.reports.timing, *r.profile, r.run.feed.lastBar);
    const DetectTexts t = detectTexts(r);
    const OutputFormat format = settings.format;
    if (format == OutputFormat::Text)
        text = formatText(r, t, settings.profileLines) + QLatin1Char('\n');
    if (format == OutputFormat::Json || format == OutputFormat::JsonLines) {
        json = formatJson(r, t);
        collection::putFileName(json, entry.path); // valid JSON, and the exact name beside it
    }
    a.row = rowOf(r, t, midi);
    a.failed = !succeeded(r);
    if (a.failed) {
        a.error = QStringLiteral("tunedeck-detect: %1: %2").arg(path, t.error);
        if (!r.readerReason.empty())
            a.error += QStringLiteral(" (%1)").arg(QString::fromStdString(r.readerReason));
    }
    if (!json.isEmpty() && midi.wasSplit())
        json[QStringLiteral("splitFormat0")] = true;
    if (!json.isEmpty() && settings.transposeFields)
        json[QStringLiteral("transposeLeftOut")] = r.run.leftOut;
    if (!json.isEmpty() && settings.notationFields && isKeyCode(r.run.keyCode))
        json[QStringLiteral("keyNotation")] =
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
            if (!json.isEmpty())
                json[QStringLiteral("reason")] = QString::fromStdString(why);
        }
    }
    a.printed = printed(text, json, a.row, settings);
    return a;
}

FileAnswer failedAnswer(const std::string &path, const std::string &why, const DetectSettings &settings)
{
    FileAnswer a;
    a.failed = true;
    a.row = collection::workerFailure(path, why);
    const QString name = collection::nameText(path);
    const QString reason = QString::fromStdString(why);
    a.error = QStringLiteral("tunedeck-detect: %1: %2").arg(name, reason);
    const QString text = name + QStringLiteral("\n  %1%2\n\n").arg(QStringLiteral("Error"), -18).arg(reason);
    QJsonObject json;
    collection::putFileName(json, path);
    json[QStringLiteral("outcome")] = QString::fromLatin1(collection::WorkerFailedOutcome.data(),
                                                          qsizetype(collection::WorkerFailedOutcome.size()));
    json[QStringLiteral("reason")] = reason;
    a.printed = printed(text, json, a.row, settings);
    return a;
}

std::string encodeAnswer(const FileAnswer &a)
{
    collection::FieldWriter out;
    out.add(a.printed).add(a.error.toUtf8().toStdString()).add(a.failed ? 1 : 0);
    collection::addFields(out, a.row);
    return out.take();
}

std::optional<FileAnswer> decodeAnswer(std::string_view payload)
{
    collection::FieldReader in(payload);
    FileAnswer a;
    const std::optional<std::string_view> printed = in.next(), error = in.next();
    const std::optional<long long> failed = in.number();
    if (!printed || !error || !failed)
        return std::nullopt;
    std::optional<collection::FileResult> row = collection::readFields(in);
    if (!row || !in.atEnd())
        return std::nullopt;
    a.printed.assign(*printed);
    a.error = QString::fromUtf8(error->data(), qsizetype(error->size()));
    a.failed = *failed != 0;
    a.row = std::move(*row);
    return a;
}

} // namespace tunedeck
