// Checking and loading the chosen file before either mode runs.
#include "core/fastdetect/openfile.h"
#include "midiwriter.h"
#include "core/reports/resulttext.h"
#include "tempdir.h"

#include <gtest/gtest.h>

using namespace tunedeck;

namespace {

std::string threeTracks(int format = 1, int division = 480)
{
    midiwriter::File f(format, division);
    f.addTrack().tempo(500000);
    f.addTrack().note(0, 60, 100, 480);
    f.addTrack().note(1, 64, 100, 480);
    return f.bytes();
}

struct OpenFileTest : ::testing::Test {
    test::TempDir dir;

    std::string write(const std::string &name, const std::string &bytes)
    {
        const std::string path = dir.file(name);
        midiwriter::save(path, bytes);
        return path;
    }
};

} // namespace

// A refused file leaves the numbers of the last good one.
TEST_F(OpenFileTest, Refusals)
{
    struct Case {
        const char *name; // the file's; "" for no file chosen
        std::string bytes;
        const char *error;
    };
    midiwriter::File smpte(1);
    smpte.smpte(25, 40).addTrack().tempo(500000);
    const Case cases[] = {
        {".", {}, "File Open Error"}, // a folder
        {"", {}, "File Open Error"},
        {"missing.mid", {}, "File Open Error"},
        {"lower.mid", "mthd" + threeTracks().substr(4), "Invalid File Header"},
        {"sound.mid", std::string("RIFF\x24\0\0\0WAVEfmt ", 16), "Invalid File Header"},
        {"short.mid", "MT", "Invalid File Header"},
        {"empty.mid", "", "Invalid File Header"},
        {"f0.mid", threeTracks(0), "Format not supported"},
        {"f2.mid", threeTracks(2), "Format not supported"},
        {"smpte.mid", smpte.bytes(), "Format not supported"},
        {"d0.mid", threeTracks(1, 0), "Format not supported"},
        {"cut.mid", threeTracks().substr(0, 40), "Midifile1_Error"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenFile file;
        ASSERT_TRUE(file.open(write("good.mid", threeTracks())));

        const std::string name = c.name;
        std::string path;
        if (name == "missing.mid" || name == ".")
            path = dir.file(name);
        else if (!name.empty())
            path = write(name, c.bytes);
        const OpenResult opened = file.open(path);
        ASSERT_FALSE(opened);
        const OpenFailure &refused = opened.error();
        EXPECT_EQ(text::openError(refused.kind), c.error);
        EXPECT_EQ(file.trackCount(), 3);
        EXPECT_EQ(file.ticksPerQuarter(), 480);
        EXPECT_EQ(file.msPerTick(), float(500000 / 1000.0 / 480));
        // Every refusal says why.
        EXPECT_FALSE(refused.reason.empty());
    }
}

TEST_F(OpenFileTest, AcceptedFileSetsTheThreeNumbers)
{
    midiwriter::File f(1, 96);
    f.addTrack().tempo(600000);
    for (int i = 0; i < 11; ++i)
        f.addTrack().note(0, 60 + i, 100, 96);
    OpenFile file;
    ASSERT_TRUE(file.open(write("twelve.mid", f.bytes())));
    EXPECT_EQ(file.ticksPerQuarter(), 96);
    EXPECT_EQ(file.msPerTick(), 6.25f);
    EXPECT_EQ(file.trackCount(), 12);
    EXPECT_EQ(text::ticksPerQuarter(file.ticksPerQuarter()), " 96");
    EXPECT_EQ(text::trackCount(file.trackCount()), "Trks = 12");
    // "All" is tracks 2 on; "Track 11" is the last; "Track 12" is not in the file.
    EXPECT_EQ(file.tracks({true, 0})->first, 2);
    EXPECT_EQ(file.tracks({false, 10})->last, 12);
    EXPECT_FALSE(file.tracks({false, 11}));
}

TEST_F(OpenFileTest, FileWithoutTempoIsTimedAt120)
{
    midiwriter::File f(1, 480);
    f.addTrack().text("conductor");
    f.addTrack().note(0, 60, 100, 480);
    OpenFile file;
    ASSERT_TRUE(file.open(write("notempo.mid", f.bytes())));
    EXPECT_EQ(file.msPerTick(), 1.0416666f);
}
