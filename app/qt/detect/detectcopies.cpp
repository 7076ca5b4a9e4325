#include "detectcopies.h"

#include "core/analysis/csvfield.h"
#include "core/batch/jsonwriter.h"
#include "core/batch/resultrow.h"
#include "qt/collection/filenames.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

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

std::vector<std::string> folderExtensions(const std::vector<CopyFolder> &folders)
{
    std::vector<std::string> extensions;
    for (const CopyFolder &f : folders)
        extensions.push_back(f.romanText ? ".rntxt" : f.score ? ".musicxml" : "");
    return extensions;
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
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            row += ',';
        row += csvField(fields[i]);
    }
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

void discard(const std::string &temporary)
{
    if (!temporary.empty())
        ::unlink(temporary.c_str());
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
    case OutputFormat::Text:
    case OutputFormat::RomanText: break; // said on stderr only
    }
}

RunCopies::RunCopies(const DetectSettings &settings, const batch::WalkResult &walk, batch::BlockWriter write)
    : settings_(settings), walk_(walk), folders_(copyFolders(settings)),
      plan_(folderNames(folders_), walk.files, walk.roots, folderExtensions(folders_)), write_(std::move(write)), tag_(unsigned(getpid()))
{
}

std::string RunCopies::temporary(std::size_t index, std::size_t folder) const
{
    const batch::PlannedCopy &planned = plan_.at(index, folder);
    return planned.refusal.empty() ? batch::temporaryName(planned.path, tag_).string() : std::string();
}

std::string RunCopies::job(std::size_t index) const
{
    std::string job = batch::jobText(walk_.files[index]) + '\0' + std::to_string(tag_); // no path holds a NUL byte
    for (std::size_t f = 0; f < folders_.size(); ++f) {
        const batch::PlannedCopy &planned = plan_.at(index, f);
        job += '\0' + (planned.refusal.empty() ? planned.path : std::string());
    }
    return job;
}

std::size_t RunCopies::write(FileAnswer &answer, std::size_t index) const
{
    std::size_t notWritten = 0;
    for (std::size_t f = 0; f < folders_.size(); ++f) {
        const batch::PlannedCopy &planned = plan_.at(index, f);
        if (f >= answer.copies.size()) { // the file failed, or its worker did
            discard(temporary(index, f));
            continue;
        }
        const Result<std::string> &copy = answer.copies[f];
        Result<> written = !planned.refusal.empty() ? failure(planned.refusal)
                           : !copy                  ? failure(copy.error().reason)
                           : copy->empty()          ? batch::putInPlace(temporary(index, f), planned.path)
                                                    : batch::writeCopy(planned.path, *copy, write_);
        if (!written) {
            discard(temporary(index, f));
            noteCopyFailure(answer, folders_[f].what(), written.error().reason, settings_);
            ++notWritten;
        }
    }
    answer.copies.clear(); // written: the bytes are not needed any more
    return notWritten;
}

void RunCopies::discardFrom(std::size_t index) const
{
    for (std::size_t i = index; i < walk_.files.size(); ++i)
        for (std::size_t f = 0; f < folders_.size(); ++f)
            discard(temporary(i, f));
}

CopyJob readCopyJob(std::string_view job)
{
    std::vector<std::string_view> fields;
    for (std::size_t from = 0;;) {
        const std::size_t nul = job.find('\0', from);
        fields.push_back(job.substr(from, nul == std::string_view::npos ? nul : nul - from));
        if (nul == std::string_view::npos)
            break;
        from = nul + 1;
    }
    CopyJob read;
    if (fields.size() < 3) {
        read.entry = batch::entryFromJob(job);
        return read;
    }
    read.entry = {std::string(fields[0]), std::string(fields[1])};
    read.tag = unsigned(std::strtoul(std::string(fields[2]).c_str(), nullptr, 10));
    for (std::size_t i = 3; i < fields.size(); ++i)
        read.copies.emplace_back(fields[i]);
    return read;
}

void writeTemporaries(FileAnswer &answer, const CopyJob &job, const batch::BlockWriter &write)
{
    for (std::size_t f = 0; f < answer.copies.size() && f < job.copies.size(); ++f) {
        Result<std::string> &copy = answer.copies[f];
        if (!copy || job.copies[f].empty())
            continue; // said by the command
        const std::filesystem::path target(job.copies[f]);
        const Result<> written = batch::writeTemporary(batch::temporaryName(target, job.tag), target, *copy, write);
        copy = written ? Result<std::string>(std::string()) : failure(written.error().reason);
    }
}

} // namespace tunedeck
