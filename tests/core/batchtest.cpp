// The batch library and the table of choices: what every front end reads of them.
#include "core/base/choices.h"
#include "core/batch/filenames.h"
#include "core/batch/filewalk.h"
#include "core/batch/midicopies.h"
#include "core/batch/resultrow.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using namespace tunedeck;
using namespace tunedeck::batch;

namespace {

std::string contents(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

// "Track 01" is the same track whichever front end names it, and none names one past the list.
TEST(Choices, TrackNumbersMeetInOnePosition)
{
    const struct {
        TrackCount count;
        int trackOne;
    } cases[] = {{TrackCount::Position, 0}, {TrackCount::Command, 1}, {TrackCount::Python, 1}, {TrackCount::FileTrack, 2}};
    for (const auto &c : cases) {
        EXPECT_EQ(trackPosition(c.trackOne, c.count), 0);
        EXPECT_EQ(trackPosition(c.trackOne + ChoosableTracks - 1, c.count), ChoosableTracks - 1);
        EXPECT_FALSE(trackPosition(c.trackOne - 1, c.count));
        EXPECT_FALSE(trackPosition(c.trackOne + ChoosableTracks, c.count));
    }
}

TEST(Choices, MidiNamesInAnyCase)
{
    for (const char *name : {"a.mid", "b.MIDI", "c.Kar", "dir.x/e.kAR"})
        EXPECT_TRUE(hasMidiExtension(name)) << name;
    for (const char *name : {"mid", "a.mid.txt", "a.midx", "a.mi", "folder.mid/readme", ".ka"})
        EXPECT_FALSE(hasMidiExtension(name)) << name;
    const std::string patterns = midiNamePatterns();
    for (const char *p : {"*.kar", "*.KAR", "*.Kar", "*.mid ", "*.MIDI", "*.Midi"})
        EXPECT_NE(patterns.find(p), std::string::npos) << p;
}

// Python's names are the CSV's in snake_case, and the CSV shows only its own columns.
TEST(Columns, OneSchemaForCsvAndTables)
{
    EXPECT_EQ(snakeCase("candidate2KeyCode"), "candidate2_key_code");
    EXPECT_EQ(snakeCase("splitFormat0"), "split_format0");
    EXPECT_EQ(snakeCase("file"), "file");
    FileResult r;
    r.path = "x.mid";
    r.outcome = "file-refused";
    r.message = "cut";
    r.reason = "cut short";
    r.profile = ProfileSummary{0, 0.0, false, 3};
    const std::string row = csvRow(r);
    EXPECT_EQ(row.find("cut short"), std::string::npos);
    std::size_t commas = 0;
    for (const char c : csvHeader())
        commas += c == ',';
    EXPECT_EQ(std::count(row.begin(), row.end(), ','), std::ptrdiff_t(commas));
    for (const Column &c : Columns) {
        const Cell cell = c.value(r, Notation::Standard);
        if (c.name == "localKeyChanges") {
            EXPECT_EQ(cell, Cell(std::int64_t(3)));
        }
        if (c.name == "profileKey" || c.name == "keyCode" || c.name == "probability") {
            EXPECT_TRUE(std::holds_alternative<std::monostate>(cell)) << c.name; // no key, nothing to show
        }
        if (!c.optional) {
            EXPECT_FALSE(std::holds_alternative<std::monostate>(cell)) << c.name;
        }
    }
}

// Each byte that is not UTF-8 stands as one U+FFFD; "fileBytes" only then.
TEST(FileNames, InvalidBytesReplacedOneByOne)
{
    const struct {
        std::string bytes, text;
    } cases[] = {{"plain", "plain"},
                 {"caf\xe9", "caf\xef\xbf\xbd"},
                 {"cut \xe2\x82z", "cut \xef\xbf\xbd\xef\xbf\xbdz"},
                 {"\xf0\x9f\x93\xa9\xff", "\xf0\x9f\x93\xa9\xef\xbf\xbd"},
                 {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"}};
    for (const auto &c : cases) {
        EXPECT_EQ(validUtf8(c.bytes), c.text);
        nlohmann::json o;
        putFileName(o, c.bytes);
        EXPECT_EQ(o.contains("fileBytes"), c.bytes != c.text);
    }
    EXPECT_EQ(base64("caf\xe9"), "Y2Fm6Q==");
    EXPECT_EQ(base64("ab"), "YWI=");
}

// A copy is made from the bytes handed over, not from the file read again; a sink that fails
// leaves no file.
TEST(Copies, MadeFromTheBytesGiven)
{
    const test::TempDir temp;
    const std::filesystem::path dir(temp.path());
    const std::string source = (dir / "song.mid").string();
    std::ofstream(source, std::ios::binary) << "not what the reader read";
    const std::string header("MThd\0\0\0\6\0\1\0\1\1\xe0MTrk\0\0\0\4\0\xff\x2f\0", 26);
    const FileEntry entry{source, "sub/song.mid"};
    ASSERT_TRUE(writeMidiCopy(entry, (dir / "out").string(), {}, std::string_view(header)));
    EXPECT_EQ(contents(dir / "out/sub/song.mid"), header);
    EXPECT_FALSE(writeMidiCopy(entry, (dir / "again").string(), {}));

    const auto failing = [](const BlockSink &write, std::string_view bytes) { return write(bytes.substr(0, 3)) && false; };
    EXPECT_FALSE(writeFileReplacing(dir / "half.mid", header, failing));
    EXPECT_FALSE(std::filesystem::exists(dir / "half.mid"));
}
