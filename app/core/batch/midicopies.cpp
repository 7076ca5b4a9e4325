#include "core/batch/midicopies.h"

#include "core/batch/filenames.h"
#include "core/batch/temporaries.h"
#include "core/score/scorefile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tunedeck::batch {

namespace {

#ifndef _WIN32
int openExclusive(const std::string &path)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

// Writes the bytes to the open temporary file, complete on disk before it takes a name, and
// closes it; a failed write removes it. Failures name the copy it was for.
Result<> fill(int fd, const std::string &temporary, const std::string &copy, std::string_view bytes,
              const BlockWriter &write)
{
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
    written = ::fsync(fd) == 0 && written;
    const int writeError = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return failure("cannot write " + copy + ": " + std::strerror(writeError ? writeError : EIO));
    }
    return {};
}
#endif

} // namespace

fs::path temporaryName(const fs::path &target, unsigned tag)
{
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", tag);
    std::string name = ".";
    name += target.filename().string();
    name += suffix;
    name += ".tmp";
    return target.parent_path() / name;
}

Result<> putInPlace(const fs::path &temporary, const fs::path &target)
{
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (!ec)
        return {};
    const std::string why = ec.message();
    fs::remove(temporary, ec);
    return failure("cannot write " + pathBytes(target) + ": " + why);
}

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
    std::random_device random;
    std::string temporary;
    int fd = -1;
    std::optional<HeldTemporary> held; // held before it exists: a signal at any moment removes it
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryName(target, unsigned(random())).string();
        held.emplace(temporary);
        fd = openExclusive(temporary);
        if (fd < 0)
            held.reset(); // not ours
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return failure("cannot write " + pathBytes(target) + ": " + std::strerror(errno));
    if (Result<> filled = fill(fd, temporary, pathBytes(target), bytes, write); !filled)
        return filled;
    return putInPlace(temporary, target);
#endif
}

namespace {

// Why the folders above `target` cannot be made, in better words than the system's "File
// exists" where a link to nothing stands in the way.
std::string folderFailure(const fs::path &target, const std::error_code &ec)
{
    fs::path at;
    for (const fs::path &part : target.parent_path()) {
        at /= part;
        std::error_code ignored;
        if (fs::is_symlink(fs::symlink_status(at, ignored)) && !fs::exists(at, ignored))
            return pathBytes(at) + " is a broken symbolic link";
        if (fs::exists(fs::symlink_status(at, ignored)) && !fs::is_directory(at, ignored))
            return pathBytes(at) + " is not a folder";
    }
    return ec.message();
}

} // namespace

std::optional<fs::path> copyPath(const std::string &relative, const std::string &outputDir)
{
    const fs::path rel(relative);
    if (rel.empty() || rel.is_absolute()
        || std::any_of(rel.begin(), rel.end(), [](const fs::path &part) { return part == ".."; }))
        return std::nullopt;
    return (fs::path(outputDir) / rel).lexically_normal();
}

Result<> writeCopy(const fs::path &target, std::string_view bytes, const BlockWriter &write)
{
    std::error_code ec;
    if (fs::create_directories(target.parent_path(), ec); ec)
        return failure("cannot write " + pathBytes(target) + ": " + folderFailure(target, ec));
    return writeFileReplacing(target, bytes, write);
}

Result<> writeTemporary(const fs::path &temporary, const fs::path &target, std::string_view bytes,
                        const BlockWriter &write)
{
    std::error_code ec;
    if (fs::create_directories(target.parent_path(), ec); ec)
        return failure("cannot write " + pathBytes(target) + ": " + folderFailure(target, ec));
#ifdef _WIN32
    (void)temporary;
    (void)bytes;
    (void)write;
    return failure("cannot write " + pathBytes(target) + ": not written in two steps here");
#else
    const HeldTemporary held(temporary.string());
    int fd = openExclusive(temporary.string());
    if (fd < 0 && errno == EEXIST && ::unlink(temporary.c_str()) == 0) // left by an earlier run: only runs write that name
        fd = openExclusive(temporary.string());
    if (fd < 0)
        return failure("cannot write " + pathBytes(target) + ": " + std::strerror(errno));
    return fill(fd, temporary.string(), pathBytes(target), bytes, write);
#endif
}

Result<> writeMidiCopy(const FileEntry &entry, const std::string &outputDir, const MidiEdit &edit,
                       std::optional<std::string_view> sourceBytes)
{
    const std::string &source = entry.path;
    if (!copyPath(entry.relative, outputDir))
        return failure("cannot place " + entry.relative + " under " + outputDir);
    const fs::path target = fs::path(outputDir) / entry.relative;
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
    return writeCopy(target, *copy);
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
