// Where a run's copies may go, planned before any is written; the walk that leaves the
// copies' folders out; temporary files held for a signal; copies in two steps.
#include "core/batch/copyplan.h"
#include "core/batch/filewalk.h"
#include "core/batch/midicopies.h"
#include "core/batch/summary.h"
#include "core/batch/temporaries.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace tunedeck;
using namespace tunedeck::batch;
namespace fs = std::filesystem;

namespace {

void touch(const fs::path &p, const std::string &text = "x")
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::string contents(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The files of a run under the temporary folder, made there.
fs::path filesUnder(const test::TempDir &temp, std::initializer_list<const char *> files)
{
    const fs::path d(temp.path());
    for (const char *file : files)
        touch(d / file);
    return d;
}

// A run's plan over its arguments walked, file by file and folder by folder.
struct Planned {
    std::vector<std::string> paths, refusals;
};

Planned planned(const std::vector<std::string> &arguments, const std::vector<std::string> &folders,
                const std::vector<std::string> &extensions = {})
{
    const WalkResult walk = collectFiles(arguments, folders);
    const CopyPlan plan(folders, walk.files, walk.roots, extensions);
    Planned out;
    for (std::size_t file = 0; file < walk.files.size(); ++file)
        for (std::size_t folder = 0; folder < plan.folders(); ++folder) {
            out.paths.push_back(plan.at(file, folder).path);
            out.refusals.push_back(plan.at(file, folder).refusal);
        }
    return out;
}

} // namespace

// Each case: the run's folders of copies, its arguments; the refusal of each copy, file by
// file and folder by folder ("" where it is written).
TEST(CopyPlan, RefusesWhatWouldReplaceAFileOfTheRun)
{
    const test::TempDir temp;
    const fs::path d = filesUnder(temp, {"lib/song.mid", "lib/a/song.mid", "in/c.mid", "in/sub/c.mid", "other/song.mid"});
    fs::create_directory_symlink(d / "lib", d / "alias");
    const std::string lib = (d / "lib").string(), in = (d / "in").string(), o = (d / "o").string(),
                      alias = (d / "alias").string();
    const struct {
        const char *name;
        std::vector<std::string> folders, arguments;
        std::vector<std::string> refusals;
    } cases[] = {
        {"copies in the input folder", {lib + "/a"}, {lib},
         {"will not write over " + lib + "/a/song.mid in the input folder " + lib}},
        {"the input folder itself", {lib}, {lib},
         {"will not write over the source file " + lib + "/a/song.mid", "will not write over the source file " + lib + "/song.mid"}},
        {"another input, named", {lib + "/a"}, {lib + "/song.mid", lib + "/a/song.mid"},
         {"will not write over the input file " + lib + "/a/song.mid",
          "will not write over the source file " + lib + "/a/song.mid"}},
        {"an input through a link", {alias}, {(d / "other/song.mid").string(), lib + "/song.mid"},
         {"will not write over the input file " + lib + "/song.mid", "will not write over the source file " + lib + "/song.mid"}},
        {"folders inside each other", {o, o + "/sub"}, {in},
         {"", "", "copy " + o + "/sub/c.mid is taken by the copy of " + in + "/c.mid under " + o + "/sub", ""}},
        {"one name twice", {o}, {in + "/c.mid", in + "/sub/c.mid"}, {"", "copy " + o + "/c.mid is taken by " + in + "/c.mid"}},
        {"elsewhere", {o}, {lib}, {"", ""}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(planned(c.arguments, c.folders).refusals, c.refusals) << c.name;
}

// A folder whose copies take another extension: named so, and two files of one name but their
// extension share one copy, the first's.
TEST(CopyPlan, CopiesUnderAnotherExtension)
{
    const test::TempDir temp;
    const fs::path d = filesUnder(temp, {"in/song.mid", "in/song.mxl", "in/sub/c.mid"});
    const std::string in = (d / "in").string(), o = (d / "o").string();
    const auto [paths, refusals] = planned({in}, {o, o}, {"", ".rntxt"});
    EXPECT_EQ(paths, (std::vector<std::string>{o + "/song.mid", o + "/song.rntxt", o + "/song.mxl", o + "/song.rntxt",
                                               o + "/sub/c.mid", o + "/sub/c.rntxt"}));
    EXPECT_EQ(refusals, (std::vector<std::string>{"", "", "", "copy " + o + "/song.rntxt is taken by " + in + "/song.mid",
                                                  "", ""}));
}

// The run never reads the folder it writes into, wherever the walk meets it (through a link
// too); a folder named to be read is read.
TEST(CopyPlan, WalkLeavesTheCopiesFolderOut)
{
    const test::TempDir temp;
    const fs::path d = filesUnder(temp, {"lib/song.mid", "lib/a/song.mid", "lib/a/deeper/x.mid"});
    fs::create_directory_symlink(d / "lib/a", d / "lib/z");
    const std::string lib = (d / "lib").string();
    const WalkResult walk = collectFiles({lib}, {lib + "/a/"});
    EXPECT_EQ(walk.files, (std::vector<FileEntry>{{lib + "/song.mid", "song.mid"}}));
    EXPECT_EQ(walk.notRead, (std::vector<std::string>{lib + "/a", lib + "/z"}));
    EXPECT_TRUE(walk.problems.empty());
    EXPECT_EQ(collectFiles({lib + "/a"}, {lib + "/a"}).files.size(), 2u);
}

// A copy's temporary file is removed by removeTemporaries while it is held, and only then.
TEST(Copies, HeldTemporariesAreRemoved)
{
    const test::TempDir temp;
    const fs::path held = temp.file(".a.mid.1.tmp"), released = temp.file(".b.mid.2.tmp");
    touch(held);
    touch(released);
    {
        const HeldTemporary gone(released.string());
    }
    const HeldTemporary kept(held.string());
    removeTemporaries();
    EXPECT_FALSE(fs::exists(held));
    EXPECT_TRUE(fs::exists(released));
}

// Two steps: the temporary file named by the command (one left by an earlier run replaced),
// then put in place; a failed step leaves neither the temporary file nor a copy.
TEST(Copies, WrittenThenPutInPlace)
{
    const test::TempDir temp;
    const fs::path target = temp.file("o/sub/song.mid"), temporary = temporaryName(target, 0x1f);
    EXPECT_EQ(temporary.filename(), ".song.mid.0000001f.tmp");
    touch(temporary, "left over");
    ASSERT_TRUE(writeTemporary(temporary, target, "copy"));
    EXPECT_EQ(contents(temporary), "copy");
    ASSERT_TRUE(putInPlace(temporary, target));
    EXPECT_EQ(contents(target), "copy");
    EXPECT_FALSE(fs::exists(temporary));

    const auto failing = [](const BlockSink &write, std::string_view bytes) { return write(bytes.substr(0, 1)) && false; };
    EXPECT_FALSE(writeTemporary(temporary, target, "copy", failing));
    fs::create_directories(temp.file("o/dir.mid"));
    const fs::path intoFolder = temporaryName(temp.file("o/dir.mid"), 1);
    ASSERT_TRUE(writeTemporary(intoFolder, temp.file("o/dir.mid"), "copy"));
    const Result<> put = putInPlace(intoFolder, temp.file("o/dir.mid"));
    ASSERT_FALSE(put);
    EXPECT_EQ(put.error().reason, "cannot write " + temp.file("o/dir.mid") + ": Is a directory");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.file("o")), {}), 2); // sub, dir.mid
}

// A folder for copies that is a link to nothing, or a file: named for what it is.
TEST(Copies, FolderInTheWayIsNamed)
{
    const test::TempDir temp;
    fs::create_symlink(temp.file("nowhere"), temp.file("dangling"));
    touch(temp.file("file"));
    const struct {
        std::string target, reason;
    } cases[] = {{temp.file("dangling/a.mid"), temp.file("dangling") + " is a broken symbolic link"},
                 {temp.file("dangling/sub/a.mid"), temp.file("dangling") + " is a broken symbolic link"},
                 {temp.file("file/a.mid"), temp.file("file") + " is not a folder"}};
    for (const auto &c : cases) {
        const Result<> written = writeCopy(c.target, "copy");
        ASSERT_FALSE(written) << c.target;
        EXPECT_EQ(written.error().reason, "cannot write " + c.target + ": " + c.reason);
    }
}

TEST(Summary, CountsCopiesNotWritten)
{
    RunCounts counts;
    counts.read = 509;
    counts.copiesNotWritten = 492;
    EXPECT_EQ(summaryLine(counts, 1.04), "509 files read, 492 copies not written in 1.0 s");
    counts.copiesNotWritten = 1;
    counts.failed = 2;
    EXPECT_EQ(summaryLine(counts, 0), "509 files read, 2 failed, 1 copy not written in 0.0 s");
}
