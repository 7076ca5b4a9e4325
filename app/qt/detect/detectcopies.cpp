#include "detectcopies.h"

#include "core/analysis/csvfield.h"
#include "core/batch/jsonwriter.h"
#include "core/batch/resultrow.h"
#include "qt/collection/filenames.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace tunedeck {

using collection::OutputFormat;

namespace {

std::vector<std::string> folderNames(const std::vector<CopyFolder> &folders)
{
    std::vector<std::string> names;
    for (const CopyFolder &f : folders)
        names.push_back(f.dir);
    return names;
}

// A CSV row's fields, its quotes taken off (RFC 4180, as csvField writes them).
std::vector<std::string> csvFields(std::string_view row)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (quoted && c == '"' && i + 1 < row.size() && row[i + 1] == '"')
            fields.back() += row[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// The file's CSV row with `why` added to its message.
std::string csvWithMessage(const std::string &printed, const std::string &why, Notation notation)
{
    std::string header = batch::csvHeader(notation);
    if (printed.size() < 2 || header.size() < 2)
        return printed;
    header.resize(header.size() - 2); // without CRLF
    const std::vector<std::string> names = csvFields(header);
    const auto at = std::find(names.begin(), names.end(), "message");
    std::vector<std::string> fields = csvFields(std::string_view(printed).substr(0, printed.size() - 2));
    if (at == names.end() || fields.size() != names.size())
        return printed;
    const std::size_t column = std::size_t(at - names.begin());
    fields[column] = fields[column].empty() ? why : fields[column] + "; " + why;
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i)
        row += (i ? "," : "") + csvField(fields[i]);
    return row + "\r\n";
}

// The file's JSON with `why` added to its reason, in the layout it was printed in.
std::string jsonWithReason(const std::string &printed, const std::string &why, OutputFormat format)
{
    nlohmann::json object = nlohmann::json::parse(printed, nullptr, false);
    if (!object.is_object())
        return printed;
    const std::string reason = object.value("reason", std::string());
    object["reason"] = (reason.empty() ? std::string() : reason + "; ") + why;
    if (format == OutputFormat::Json)
        return batch::JsonArrayWriter::item(object);
    std::string line;
    batch::writeCompact(line, object);
    return line + '\n';
}

} // namespace

void noteCopyFailure(FileAnswer &a, const QString &what, const std::string &why, const DetectSettings &settings)
{
    // The row says it too: a table read later shows which copies are missing.
    a.failed = true;
    a.error += (a.error.isEmpty() ? QString() : QStringLiteral("\n"))
               + QStringLiteral("tunedeck-detect: %1: %2 not written (%3)")
                     .arg(collection::nameText(a.row.path), what, collection::nameText(why));
    a.row.message = a.row.message.empty() ? why : a.row.message + "; " + why;
    switch (settings.format) {
    case OutputFormat::Json:
    case OutputFormat::JsonLines: a.printed = jsonWithReason(a.printed, why, settings.format); break;
    case OutputFormat::Csv:
        if (!settings.chords) // a row a chord has no message
            a.printed = csvWithMessage(a.printed, why, settings.choices.notation);
        break;
    case OutputFormat::Text: break;
    }
}

RunCopies::RunCopies(const DetectSettings &settings, const batch::WalkResult &walk, batch::BlockWriter write)
    : settings_(settings), walk_(walk), folders_(copyFolders(settings)),
      plan_(folderNames(folders_), walk.files, walk.roots), write_(std::move(write))
{
}

std::size_t RunCopies::write(FileAnswer &answer, std::size_t index) const
{
    std::size_t notWritten = 0;
    for (std::size_t f = 0; f < answer.copies.size() && f < folders_.size(); ++f) {
        const batch::PlannedCopy &planned = plan_.at(index, f);
        const Result<std::string> &copy = answer.copies[f];
        Result<> written = !planned.refusal.empty() ? failure(planned.refusal)
                           : !copy                  ? failure(copy.error().reason)
                                                    : batch::writeCopy(planned.path, *copy, write_);
        if (!written) {
            noteCopyFailure(answer, folders_[f].what(), written.error().reason, settings_);
            ++notWritten;
        }
    }
    answer.copies.clear(); // written: the bytes are not needed any more
    return notWritten;
}

} // namespace tunedeck
