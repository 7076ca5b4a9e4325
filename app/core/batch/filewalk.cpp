#include "core/batch/filewalk.h"

#include "core/base/choices.h"

#include "core/batch/filenames.h"
#include "core/score/scorefile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tunedeck::batch {

namespace {

bool readable(const fs::path &p)
{
#ifdef _WIN32
    (void)p;
    return true; // the reader says so when it cannot open the file
#else
    return ::access(p.c_str(), R_OK) == 0;
#endif
}

// An .xml file is taken when it is a score; any other is skipped without a word, as every
// file not named as MIDI or as a score is.
bool isScoreXml(const fs::path &p, const fs::file_status &target, const std::string &relative)
{
    if (!hasXmlExtension(relative) || !fs::is_regular_file(target) || !readable(p))
        return false;
    std::ifstream in(p, std::ios::binary);
    std::string start(std::size_t(64) << 10, '\0');
    in.read(start.data(), std::streamsize(start.size()));
    start.resize(std::size_t(in.gcount()));
    return score::looksLikeScore(start);
}

class Walker {
public:
    Walker(WalkResult &result, const std::vector<std::string> &notInto) : result_(result)
    {
        for (const std::string &dir : notInto) {
            std::error_code ec;
            const fs::path canonical = fs::canonical(dir, ec);
            if (!ec)
                notInto_.insert(canonical);
        }
    }

    void walkRoot(const fs::path &root)
    {
        std::error_code ec;
        const fs::path canonical = fs::canonical(root, ec);
        if (ec)
            return problem(root, "cannot open folder: " + ec.message());
        visited_.insert(canonical);
        stack_.push_back(canonical);
        walk(root, "");
        stack_.pop_back();
    }

private:
    void problem(const fs::path &p, std::string reason) { result_.problems.push_back({pathBytes(p, true), std::move(reason)}); }

    void walk(const fs::path &dir, const std::string &relativeDir)
    {
        std::error_code ec;
        fs::directory_iterator it(dir, ec);
        if (ec)
            return problem(dir, "cannot open folder: " + ec.message());
        std::vector<fs::directory_entry> entries;
        for (const fs::directory_iterator end; it != end; it.increment(ec)) {
            entries.push_back(*it);
            if (ec)
                break;
        }
        if (ec)
            problem(dir, "cannot read the whole folder: " + ec.message());
        std::sort(entries.begin(), entries.end(), [](const fs::directory_entry &a, const fs::directory_entry &b) {
            return a.path().filename().native() < b.path().filename().native();
        });
        for (const fs::directory_entry &e : entries)
            visit(e.path(), relativeDir + pathBytes(e.path().filename(), true));
    }

    void visit(const fs::path &p, const std::string &relative)
    {
        std::error_code ec;
        const bool link = fs::is_symlink(fs::symlink_status(p, ec));
        const fs::file_status target = fs::status(p, ec);
        if (ec || !fs::exists(target)) {
            // A link to nothing is worth a word even without a MIDI name: it may be a folder.
            if (link)
                problem(p, "broken symbolic link");
            else if (hasMidiExtension(relative) || hasScoreExtension(relative))
                problem(p, "cannot read: " + ec.message());
            return;
        }
        if (fs::is_directory(target))
            return enter(p, relative, link);
        if (!hasMidiExtension(relative) && !hasScoreExtension(relative) && !isScoreXml(p, target, relative))
            return;
        if (!fs::is_regular_file(target))
            return problem(p, "not a regular file");
        if (!readable(p))
            return problem(p, "cannot read: permission denied");
        result_.files.push_back({pathBytes(p, true), relative});
    }

    void enter(const fs::path &p, const std::string &relative, bool link)
    {
        std::error_code ec;
        const fs::path canonical = link ? fs::canonical(p, ec) : stack_.back() / p.filename();
        if (ec)
            return problem(p, "cannot open folder: " + ec.message());
        if (notInto_.count(canonical)) {
            result_.notRead.push_back(pathBytes(p, true));
            return;
        }
        if (std::find(stack_.begin(), stack_.end(), canonical) != stack_.end())
            return problem(p, "symbolic link loop");
        if (!visited_.insert(canonical).second)
            return problem(p, "same folder as one walked before");
        stack_.push_back(canonical);
        walk(p, relative + "/");
        stack_.pop_back();
    }

    WalkResult &result_;
    std::vector<fs::path> stack_;  // canonical paths of the folders being walked
    std::set<fs::path> visited_;  // canonical paths of every folder walked
    std::set<fs::path> notInto_;  // canonical paths of the folders the run writes into
};

} // namespace

WalkResult collectFiles(const std::vector<std::string> &arguments, const std::vector<std::string> &notInto)
{
    WalkResult result;
    Walker walker(result, notInto);
    for (const std::string &arg : arguments) {
        std::error_code ec;
        const fs::path p(arg);
        if (fs::is_directory(p, ec)) {
            result.roots.push_back(arg);
            walker.walkRoot(p);
        } else {
            result.files.push_back({arg, pathBytes(p.filename(), true)});
        }
    }
    return result;
}

std::string jobText(const FileEntry &entry)
{
    // No path holds a NUL byte.
    return entry.path + '\0' + entry.relative;
}

FileEntry entryFromJob(std::string_view job)
{
    const std::size_t nul = job.find('\0');
    if (nul == std::string_view::npos)
        return {std::string(job), std::string(job)};
    return {std::string(job.substr(0, nul)), std::string(job.substr(nul + 1))};
}

} // namespace tunedeck::batch
