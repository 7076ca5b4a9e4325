#include "core/batch/copyplan.h"

#include "core/batch/filenames.h"
#include "core/batch/midicopies.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <utility>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace tunedeck::batch {

namespace {

// A directory entry as its folder with the links resolved and its name: two paths with one
// place name one entry, however they were written.
class Places {
public:
    std::string of(const fs::path &p)
    {
        std::error_code ec;
        const fs::path absolute = fs::absolute(p, ec);
        const fs::path parent = absolute.parent_path();
        const auto [at, added] = folders_.try_emplace(parent.native());
        if (added) {
            const fs::path canonical = fs::weakly_canonical(parent, ec);
            at->second = ec ? parent.lexically_normal() : canonical;
        }
        return (at->second / absolute.filename()).native();
    }

private:
    std::unordered_map<std::string, fs::path> folders_;
};

// The file a path leads to, links followed: a hard link or a link to an input is that input.
using FileId = std::pair<std::uint64_t, std::uint64_t>;

std::optional<FileId> fileId(const fs::path &p)
{
#ifdef _WIN32
    (void)p;
    return std::nullopt;
#else
    struct stat st;
    if (::stat(p.c_str(), &st) != 0)
        return std::nullopt;
    return FileId{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
#endif
}

bool within(const fs::path &place, const fs::path &folder)
{
    return std::mismatch(folder.begin(), folder.end(), place.begin(), place.end()).first == folder.end();
}

class Planner {
public:
    Planner(const std::vector<std::string> &folders, const std::vector<FileEntry> &files,
            const std::vector<std::string> &roots, const std::vector<std::string> &extensions)
        : folders_(folders), files_(files), roots_(roots), extensions_(extensions)
    {
        for (std::size_t i = 0; i < files.size(); ++i) {
            inputs_.emplace(places_.of(files[i].path), i);
            if (const std::optional<FileId> id = fileId(files[i].path))
                ids_.emplace(*id, i);
        }
        for (const std::string &root : roots) {
            std::error_code ec;
            const fs::path canonical = fs::canonical(root, ec);
            rootPlaces_.push_back(ec ? fs::path() : canonical);
        }
    }

    PlannedCopy plan(std::size_t file, std::size_t folder)
    {
        const FileEntry &entry = files_[file];
        const std::string &dir = folders_[folder];
        std::string relative = entry.relative;
        if (folder < extensions_.size() && !extensions_[folder].empty())
            relative = pathBytes(fs::path(relative).replace_extension(extensions_[folder]));
        PlannedCopy copy{pathBytes(fs::path(dir) / relative), {}};
        const std::optional<fs::path> target = copyPath(relative, dir);
        if (!target) {
            copy.refusal = "cannot place " + relative + " under " + dir;
            return copy;
        }
        const std::string place = places_.of(*target);
        copy.refusal = overInput(place, *target, file);
        if (copy.refusal.empty())
            copy.refusal = overCopy(place, copy.path, folder);
        if (copy.refusal.empty())
            copy.refusal = inInputFolder(place, *target, copy.path);
        if (copy.refusal.empty())
            taken_.emplace(place, std::pair{file, folder});
        return copy;
    }

private:
    std::string overInput(const std::string &place, const fs::path &target, std::size_t file) const
    {
        auto input = inputs_.find(place);
        std::optional<std::size_t> hit = input != inputs_.end() ? std::optional(input->second) : std::nullopt;
        if (const std::optional<FileId> id = hit ? std::nullopt : fileId(target))
            if (const auto same = ids_.find(*id); same != ids_.end())
                hit = same->second;
        if (!hit)
            return {};
        if (*hit == file)
            return "will not write over the source file " + files_[file].path;
        return "will not write over the input file " + files_[*hit].path;
    }

    std::string overCopy(const std::string &place, const std::string &path, std::size_t folder) const
    {
        const auto other = taken_.find(place);
        if (other == taken_.end())
            return {};
        const auto [file, otherFolder] = other->second;
        std::string reason = "copy " + path + " is taken by " + files_[file].path;
        if (otherFolder != folder)
            reason = "copy " + path + " is taken by the copy of " + files_[file].path + " under " + folders_[otherFolder];
        return reason;
    }

    // A file already there, in a folder the run reads (a folder of copies inside it, not
    // read): the run cannot tell it from the files it reads, so it stays.
    std::string inInputFolder(const std::string &place, const fs::path &target, const std::string &path) const
    {
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(target, ec)))
            return {};
        for (std::size_t r = 0; r < roots_.size(); ++r)
            if (!rootPlaces_[r].empty() && within(fs::path(place), rootPlaces_[r]))
                return "will not write over " + path + " in the input folder " + roots_[r];
        return {};
    }

    const std::vector<std::string> &folders_;
    const std::vector<FileEntry> &files_;
    const std::vector<std::string> &roots_;
    const std::vector<std::string> &extensions_;
    std::vector<fs::path> rootPlaces_;
    Places places_;
    std::unordered_map<std::string, std::size_t> inputs_; // place -> file
    std::map<FileId, std::size_t> ids_;
    std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> taken_; // place -> file, folder
};

} // namespace

CopyPlan::CopyPlan(const std::vector<std::string> &folders, const std::vector<FileEntry> &files,
                   const std::vector<std::string> &roots, const std::vector<std::string> &extensions)
    : folders_(folders.size())
{
    if (folders.empty())
        return;
    Planner planner(folders, files, roots, extensions);
    copies_.reserve(files.size() * folders.size());
    for (std::size_t file = 0; file < files.size(); ++file)
        for (std::size_t folder = 0; folder < folders.size(); ++folder)
            copies_.push_back(planner.plan(file, folder));
}

} // namespace tunedeck::batch
