#include "detectfile.h"

#include "core/analysis/analysisjson.h"
#include "core/analysis/chordoutput.h"
#include "core/annotate/annotatedscore.h"
#include "core/batch/filenames.h"
#include "core/batch/jsonwriter.h"
#include "core/batch/keysignatures.h"
#include "core/romantext/romantext.h"
#include "qt/collection/filenames.h"
#include "qt/collection/workerprotocol.h"
#include "core/keymap/keymaprows.h"
#include "qt/base/qttext.h"

#include <filesystem>

namespace tunedeck {

using collection::OutputFormat;

namespace {

// The answer's bytes on stdout, from its text or JSON as the format wants; with --chords the
// CSV has a row a chord, none for a file without chords.
std::string printed(const QString &text, const nlohmann::json &json, const batch::FileResult &row,
                    const std::vector<chords::ChordSegment> &chords, const DetectSettings &settings)
{
    switch (settings.format) {
    case OutputFormat::Text: return textBytes(text);
    case OutputFormat::Json: return batch::JsonArrayWriter::item(json);
    case OutputFormat::JsonLines: {
        std::string line;
        batch::writeCompact(line, json);
        return line + '\n';
    }
    case OutputFormat::Csv:
        return settings.chords ? chordCsvRows(row.path, chords) : batch::csvRow(row, settings.choices.notation);
    case OutputFormat::RomanText: return {}; // made from the analysis, by answerFile
    }
    return {};
}

// The copy for one folder, made from the bytes the reader read.
Result<std::string> copyBytes(const FileAnalysis &r, const std::string &bytes, const CopyFolder &folder,
                              const std::string &source, const AnalysisChoices &choices)
{
    if (folder.score) {
        Result<std::string> annotated = annotate::annotatedScore(bytes, r, choices);
        if (!annotated)
            return failure(source + ": " + annotated.error().reason);
        return annotated;
    }
    MidiEdit edit;
    if (folder.keySignatures) {
        std::vector<batch::KeyPoint> points;
        for (const TimelinePoint &p : r.run.reports.timing.points)
            points.push_back({std::uint32_t(p.time), p.code});
        edit = batch::keySignatureEdit(points);
    }
    if (folder.chordMarkers)
        edit += chordMarkerEdit(r.chords);
    Result<std::string> copy = editedMidi(bytes, edit);
    if (!copy)
        return failure(source + ": " + copy.error().reason);
    return copy;
}

} // namespace

QString CopyFolder::what() const
{
    if (score)
        return QStringLiteral("annotated score");
    if (romanText)
        return QStringLiteral("RomanText");
    if (keySignatures && chordMarkers)
        return QStringLiteral("key signatures and chord markers");
    return keySignatures ? QStringLiteral("key signatures") : QStringLiteral("chord markers");
}

std::vector<CopyFolder> copyFolders(const DetectSettings &settings)
{
    std::vector<CopyFolder> folders;
    if (settings.keySignatureDir)
        folders.push_back({*settings.keySignatureDir, true, false});
    if (settings.chordMarkerDir) {
        if (!folders.empty() && folders.front().dir == *settings.chordMarkerDir)
            folders.front().chordMarkers = true;
        else
            folders.push_back({*settings.chordMarkerDir, false, true});
    }
    if (settings.scoreDir)
        folders.push_back({*settings.scoreDir, false, false, true});
    if (settings.romanTextDir)
        folders.push_back({*settings.romanTextDir, false, false, false, true});
    return folders;
}

std::string textBytes(const QString &text)
{
#ifdef _WIN32
    const QByteArray local = text.toLocal8Bit();
    return std::string(local.constData(), std::size_t(local.size()));
#else
    return collection::nameBytes(text);
#endif
}

FileAnswer answerFile(TonalyteEngine &engine, const batch::FileEntry &entry, const DetectSettings &settings)
{
    // Printed as the bytes it was given, whatever they are.
    const QString path = collection::nameText(entry.path);
    const OutputFormat format = settings.format;
    const bool json = format == OutputFormat::Json || format == OutputFormat::JsonLines;
    const bool romanText = format == OutputFormat::RomanText || settings.romanTextDir;
    AnalysisChoices choices = settings.choices;
    // Only where it is printed or drawn.
    choices.withProfile = json || romanText || settings.profileLines || settings.keyMap || settings.chords
                          || settings.chordMarkerDir || settings.scoreDir;
    choices.withChords = json || romanText || settings.chords || settings.chordMarkerDir || settings.scoreDir;
    choices.withScorePlaces = bool(settings.scoreDir); // written without reading the score again
    // A copy is made from the bytes the reader read, not from the file read again.
    const bool copies = settings.keySignatureDir || settings.chordMarkerDir || settings.scoreDir;
    std::string bytes;
    const FileAnalysis r = analysePath(engine, entry.path, choices, {}, copies ? &bytes : nullptr);
    const LabelTexts t = labelTexts(r);

    FileAnswer a;
    QString text;
    nlohmann::json object;
    if (settings.keyMap && r.profile) {
        const SpelledNames names = spelledNames(r);
        a.map = fastKeyMap(r.run.reports.timing, *r.profile, r.run.feed.lastBar, &names, r.run.ticksPerBar);
    }
    if (format == OutputFormat::Text) {
        std::string block = formatText(r, t, settings.profileLines);
        if (settings.chords && !r.refusal)
            block += chordChartText(r.chords, r.bars, settings.roman);
        text = path + QLatin1Char('\n') + qtext(block) + QLatin1Char('\n');
    }
    if (json) {
        JsonFields fields;
        fields.transposeLeftOut = settings.transposeFields;
        if (choices.notation != Notation::Standard)
            fields.notation = choices.notation;
        object = analysisJson(r, t, fields);
        batch::putFileName(object, entry.path); // valid JSON, and the exact name beside it
    }
    a.row = batch::resultRow(r, t, entry.path);
    a.failed = !succeeded(r);
    if (a.failed) {
        a.error = QStringLiteral("tunedeck-detect: %1: %2").arg(path, qtext(t.error));
        if (r.refusal && !r.refusal->reason.empty())
            a.error += QStringLiteral(" (%1)").arg(QString::fromStdString(r.refusal->reason));
    }

    // A file without pitched notes gets its copies too: nothing found, nothing added.
    // A file read past the event buffer has its chords up to the limit, as the JSON does.
    const std::string document =
        romanText && !r.refusal ? romantext::romanText(r, std::filesystem::path(entry.path).stem().string()) : "";
    if (r.run.outcome == FastOutcome::Reported || r.run.outcome == FastOutcome::NoData)
        for (const CopyFolder &folder : copyFolders(settings))
            a.copies.push_back(folder.romanText ? Result<std::string>(document)
                                                : copyBytes(r, bytes, folder, entry.path, choices));
    a.printed = printed(text, object, a.row, r.chords, settings);
    if (format == OutputFormat::RomanText && !r.refusal)
        a.printed = document + '\n'; // one document a file read, a blank line after each
    return a;
}

FileAnswer failedAnswer(const std::string &path, const std::string &why, const DetectSettings &settings)
{
    FileAnswer a;
    a.failed = true;
    a.row = batch::workerFailure(path, why);
    const QString name = collection::nameText(path);
    const QString reason = QString::fromStdString(why);
    a.error = QStringLiteral("tunedeck-detect: %1: %2").arg(name, reason);
    const QString text = name + QStringLiteral("\n  %1%2\n\n").arg(QStringLiteral("Error"), -18).arg(reason);
    nlohmann::json json;
    batch::putFileName(json, path);
    json["outcome"] = batch::WorkerFailedOutcome;
    json["reason"] = why;
    a.printed = printed(text, json, a.row, {}, settings);
    return a;
}

std::string encodeAnswer(const FileAnswer &a)
{
    collection::FieldWriter out;
    out.add(a.printed).add(a.error.toUtf8().toStdString()).add(a.failed ? 1 : 0);
    collection::addFields(out, a.row);
    out.add(static_cast<long long>(a.copies.size()));
    for (const Result<std::string> &copy : a.copies)
        out.add(copy ? 1 : 0).add(copy ? *copy : copy.error().reason);
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
    const std::optional<long long> copies = in.number();
    if (!row || !copies || *copies < 0 || *copies > 3)
        return std::nullopt;
    for (long long i = 0; i < *copies; ++i) {
        const std::optional<long long> made = in.number();
        const std::optional<std::string_view> bytes = in.next();
        if (!made || !bytes)
            return std::nullopt;
        a.copies.push_back(*made ? Result<std::string>(std::string(*bytes)) : failure(std::string(*bytes)));
    }
    if (!in.atEnd())
        return std::nullopt;
    a.printed.assign(*printed);
    a.error = QString::fromUtf8(error->data(), qsizetype(error->size()));
    a.failed = *failed != 0;
    a.row = std::move(*row);
    return a;
}

} // namespace tunedeck
