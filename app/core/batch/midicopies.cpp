#include "core/batch/midicopies.h"

#include "core/batch/filenames.h"
#include "core/score/scorefile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <unordered_map>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tunedeck::batch {

namespace {

} // namespace

Result<> writeFileReplacing(const fs::path &target, std::string_view bytes, const BlockWriter &write)
{
#ifdef _WIN32
    // No O_NOFOLLOW there: a file beside the target, renamed into place.
    const fs::path temporary = target.parent_path() / (target.filename().native() + L".tmp");
    bool written = false;
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        const BlockSink sink = [&file](std::string_view block) {
            return bool(file.write(block.data(), std::streamsize(block.size())));
        };
        written = file.is_open() && (write ? write(sink, bytes) : sink(bytes)) && file.flush();
    }
    std::error_code ec;
    if (written)
        fs::rename(temporary, target, ec);
    if (!written || ec) {
        fs::remove(temporary, ec);
        return failure("cannot write " + pathBytes(target));
    }
    return {};
#else
    // A temporary file beside the target, made with O_EXCL so that nothing planted at its
    // name (a link above all) is opened, then renamed over the target: rename replaces a
    // link found there by the copy and never writes through it.
    const std::string copy = pathBytes(target);
    std::random_device random;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", unsigned(random()));
        temporary = (target.parent_path() / ("." + target.filename().string() + suffix + ".tmp")).string();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return failure("cannot write " + copy + ": " + std::strerror(errno));
    const BlockSink sink = [fd](std::string_view block) {
        while (!block.empty()) {
            const ssize_t n = ::write(fd, block.data(), block.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            block.remove_prefix(std::size_t(n));
        }
        return true;
    };
    errno = 0;
    bool written = write ? write(sink, bytes) : sink(bytes);
    written = ::fsync(fd) == 0 && written; // complete before it takes the name
    const int writeError = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return failure("cannot write " + copy + ": " + std::strerror(writeError ? writeError : EIO));
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return failure("cannot write " + copy + ": " + std::strerror(renameError));
    }
    return {};
#endif
}

namespace {

// Where the copy of `relative` goes, or nothing when it would leave outputDir.
std::optional<fs::path> copyPath(const std::string &relative, const std::string &outputDir)
{
    const fs::path rel(relative);
    if (rel.empty() || rel.is_absolute()
        || std::any_of(rel.begin(), rel.end(), [](const fs::path &part) { return part == ".."; }))
        return std::nullopt;
    return (fs::path(outputDir) / rel).lexically_normal();
}

} // namespace

void markSharedCopies(std::vector<FileEntry> &entries, const std::string &outputDir)
{
    std::unordered_map<std::string, std::size_t> first;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::optional<fs::path> target = copyPath(entries[i].relative, outputDir);
        if (!target)
            continue;
        const auto [at, added] = first.emplace(target->native(), i);
        if (!added)
            entries[i].sameCopyAs = entries[at->second].path;
    }
}

Result<> writeMidiCopy(const FileEntry &entry, const std::string &outputDir, const MidiEdit &edit,
                       std::optional<std::string_view> sourceBytes)
{
    const std::string &source = entry.path;
    if (!copyPath(entry.relative, outputDir))
        return failure("cannot place " + entry.relative + " under " + outputDir);
    const fs::path target = fs::path(outputDir) / entry.relative;
    if (!entry.sameCopyAs.empty())
        return failure("copy " + pathBytes(target) + " is taken by " + entry.sameCopyAs);
    std::error_code ec;
    if (fs::equivalent(target, source, ec))
        return failure("will not write over the source file " + source);
    std::string read;
    if (!sourceBytes) {
        std::ifstream in(source, std::ios::binary);
        std::ostringstream bytes;
        if (!(bytes << in.rdbuf()))
            return failure("cannot read " + source);
        read = std::move(bytes).str();
    }
    const std::string_view bytes = sourceBytes ? *sourceBytes : std::string_view(read);
    // A copy keeps the source's name: a score's would be MIDI under a score's name.
    if (score::looksLikeScore(bytes))
        return failure(source + ": it is a score; copies with key signatures or chord markers are made of MIDI files only");
    const Result<std::string> copy = editedMidi(bytes, edit);
    if (!copy)
        return failure(source + ": " + copy.error().reason);
    if (fs::create_directories(target.parent_path(), ec); ec)
        return failure("cannot write " + pathBytes(target) + ": " + ec.message());
    return writeFileReplacing(target, *copy);
}

bool sameFolder(const std::string &a, const std::string &b)
{
    // Made absolute, with "." and "..", doubled and trailing separators and the links of the
    // part that exists resolved: so folders not made yet compare too.
    const auto resolved = [](const std::string &dir) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(dir, ec) / "";
        const fs::path canonical = fs::weakly_canonical(absolute, ec);
        return ec ? absolute.lexically_normal() : canonical;
    };
    return resolved(a) == resolved(b);
}

} // namespace tunedeck::batch
