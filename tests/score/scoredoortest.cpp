// A score at the door: the open-file step reads it into its MIDI file, the folder walk takes
// scores by name and .xml files by content, and the analysis answers for a score as for the
// MIDI file it makes.
#include "scoretext.h"
#include "ziptestfile.h"

#include "../core/tempdir.h"

#include "core/analysis/analysisjson.h"
#include "core/analysis/fileanalysis.h"
#include "core/batch/filewalk.h"
#include "core/batch/midicopies.h"
#include "core/fastdetect/openfile.h"
#include "core/score/scoremidi.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tunedeck::score {
namespace {

using test::note;

// Two bars of a G major scale in one part, the second bar between repeat signs.
std::string scale()
{
    std::string first, second;
    for (const char *n : {"G4", "A4", "B4", "C5"})
        first += note(n, 1);
    for (const char *n : {"D5", "E5", "F#5", "G5"})
        second += note(n, 1);
    return test::onePart("<measure number=\"1\"><attributes><divisions>1</divisions><key><fifths>1</fifths></key>"
                         "</attributes>" + first + "</measure><measure number=\"2\"><barline location=\"left\">"
                         "<repeat direction=\"forward\"/></barline>" + second
                         + "<barline location=\"right\"><repeat direction=\"backward\"/></barline></measure>");
}

void write(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ScoreDoor, OpenFileReadsAScoreIntoItsMidiFile)
{
    OpenFile file;
    const OpenResult opened = file.openBytes(scale());
    ASSERT_TRUE(opened) << opened.error().reason;
    EXPECT_TRUE(file.wasScore());
    EXPECT_EQ(file.trackCount(), 2);
    EXPECT_EQ(file.ticksPerQuarter(), 480);
    // A MIDI file opened afterwards is no score.
    ASSERT_TRUE(file.openBytes(midiBytes(*readScore(scale(), {}))));
    EXPECT_FALSE(file.wasScore());
}

TEST(ScoreDoor, RefusalsSayWhy)
{
    struct Case {
        const char *what;
        std::string bytes;
        bool split;
        OpenError kind;
        std::string reason;
    };
    const Case cases[] = {
        {"a damaged score", scale().substr(0, 200), false, OpenError::Reader,
         "it is not well-formed XML (Start-end tags mismatch at byte 196)"},
        {"format 0 files split", scale(), true, OpenError::FormatNotSupported,
         "it is a score, which the reading of format 0 files one track per channel does not apply to"},
        {"other XML, as before scores", "<?xml version=\"1.0\"?><svg/>", false, OpenError::InvalidHeader, NoMidiHeader},
    };
    for (const Case &c : cases) {
        OpenFile file;
        file.setSplitFormat0(c.split);
        const OpenResult opened = file.openBytes(c.bytes);
        ASSERT_FALSE(opened) << c.what;
        EXPECT_EQ(opened.error().kind, c.kind) << c.what;
        EXPECT_EQ(opened.error().reason, c.reason) << c.what;
    }
}

TEST(ScoreDoor, AnalysedAsTheMidiFileItMakes)
{
    LinkedTonalyte engine;
    AnalysisChoices choices;
    const FileAnalysis fromScore = analyseBytes(engine, scale(), choices);
    const FileAnalysis fromMidi = analyseBytes(engine, midiBytes(*readScore(scale(), {})), choices);
    EXPECT_EQ(analysisJson(fromScore), analysisJson(fromMidi));
    EXPECT_EQ(fromScore.run.events.size(), 16u); // 8 notes, on and off

    choices.unfoldRepeats = true;
    const FileAnalysis unfolded = analyseBytes(engine, scale(), choices);
    EXPECT_EQ(unfolded.run.events.size(), 24u); // the second bar twice
}

TEST(ScoreDoor, OpenedFromAFileTheBytesReadAreKept)
{
    const tunedeck::test::TempDir dir;
    const std::string mxl = test::zipOf({{"META-INF/container.xml", "<container><rootfiles><rootfile full-path=\"s.xml\"/>"
                                                                    "</rootfiles></container>"},
                                         {"s.xml", scale(), true}});
    write(dir.file("scale.mxl"), mxl);
    OpenFile file;
    std::string kept;
    const OpenResult opened = file.open(dir.file("scale.mxl"), &kept);
    ASSERT_TRUE(opened) << opened.error().reason;
    EXPECT_TRUE(file.wasScore());
    EXPECT_EQ(kept, mxl);
    // A copy with key signatures keeps the source's name: none is made of a score.
    const Result<> copied = batch::writeMidiCopy({dir.file("scale.mxl"), "scale.mxl"}, dir.file("copies"), {}, kept);
    ASSERT_FALSE(copied);
    EXPECT_EQ(copied.error().reason, dir.file("scale.mxl")
                                         + ": it is a score; copies with key signatures or chord markers are made of "
                                           "MIDI files only");
}

TEST(ScoreDoor, FolderWalkTakesScoresByNameAndXmlByContent)
{
    const tunedeck::test::TempDir dir;
    write(dir.file("a.mid"), midiBytes(*readScore(scale(), {})));
    write(dir.file("b.MusicXML"), scale());
    write(dir.file("c.mxl"), "not even a zip"); // taken by its name: the reader says what is wrong
    write(dir.file("d.xml"), scale());
    write(dir.file("e.xml"), "<?xml version=\"1.0\"?><svg/>");
    write(dir.file("f.txt"), scale());
    const batch::WalkResult walked = batch::collectFiles({dir.path()});
    std::vector<std::string> names;
    for (const batch::FileEntry &entry : walked.files)
        names.push_back(entry.relative);
    EXPECT_EQ(names, (std::vector<std::string>{"a.mid", "b.MusicXML", "c.mxl", "d.xml"}));
    EXPECT_TRUE(walked.problems.empty());
}

} // namespace
} // namespace tunedeck::score
