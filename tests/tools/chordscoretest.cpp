// A file scored as tunedeck-chordscore scores it, on held triads whose chords and key any
// chord analysis finds: its figures whatever the ticks per quarter, and the folds a fit sees.
#include "chordscore/chordrun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace tunedeck;
using namespace tunedeck::chordscore;

namespace {

// C major, G7, C major, F major, G7, C major: a bar each, held, the bass an octave below;
// the annotation says so with the Roman numerals in C major.
ChordFile cadences(int ticksPerQuarter, std::string group = "piece")
{
    const std::int64_t bar = 4 * ticksPerQuarter;
    const std::vector<std::vector<int>> chords = {{48, 64, 67, 72}, {43, 65, 71, 74}, {48, 64, 67, 72},
                                                  {41, 65, 69, 72}, {43, 65, 71, 74}, {48, 64, 67, 72}};
    const char *labels[] = {"C:maj", "G:7", "C:maj", "F:maj", "G:7", "C:maj"};
    const char *romans[] = {"I", "V7", "I", "IV", "V7", "I"};
    ChordFile f;
    f.file.name = "cadences.mid";
    f.file.group = std::move(group);
    f.file.ticksPerQuarter = ticksPerQuarter;
    f.file.msPerTick = float(500.0 / ticksPerQuarter);
    for (std::size_t i = 0; i < chords.size(); ++i) {
        const auto at = std::int32_t(std::int64_t(i) * bar);
        for (int note : chords[i]) {
            f.file.events.push_back({at, std::uint8_t(note), 80, true, 0, 2});
            f.file.events.push_back({std::int32_t(at + bar), std::uint8_t(note), 0, false, 0, 2});
        }
        f.reference.push_back({at, at + bar, labels[i], romans[i], 160, {}});
    }
    std::stable_sort(f.file.events.begin(), f.file.events.end(),
                     [](const NoteEvent &a, const NoteEvent &b) { return a.tick < b.tick; });
    return f;
}

FileScore scored(const ChordFile &f)
{
    return scoreFile(f, estimateRows(analyseFile(f.file, firstCut({})).segments));
}

} // namespace

TEST(ChordScore, GivesAFileTheSameFiguresWhateverItsTicksPerQuarter)
{
    const FileScore a = scored(cadences(480)), b = scored(cadences(960)), c = scored(cadences(96));
    ASSERT_TRUE(a.chords && b.chords && c.chords);
    EXPECT_EQ(a.chords->accuracy[0], 1.0); // held triads: every root is found
    EXPECT_EQ(a.romans.key, 1.0);          // and it is all C major
    for (const FileScore *other : {&b, &c}) {
        EXPECT_EQ(other->chords->accuracy, a.chords->accuracy);
        EXPECT_EQ(other->chords->segmentation(), a.chords->segmentation());
        EXPECT_EQ(other->romans.key, a.romans.key);
        EXPECT_EQ(other->romans.roman, a.romans.roman);
        for (std::size_t bin = 0; bin < a.reliability.bins.size(); ++bin)
            EXPECT_DOUBLE_EQ(other->reliability.bins[bin].right, a.reliability.bins[bin].right);
    }
}

// Each fold's fit sees neither the files it analyses nor any file of their groups; files only
// fitted on are fitted on and never analysed.
TEST(ChordScore, FitsEachFoldOnTheOtherFoldsOnly)
{
    std::vector<ChordFile> files;
    for (const char *group : {"a", "a", "b", "c", "c", "d", "e"})
        files.push_back(cadences(96, group));
    files[1].scored = false;
    std::vector<std::set<const ChordFile *>> trainings;
    const ChordFit fit = [&](const std::vector<const ChordFile *> &training) {
        trainings.emplace_back(training.begin(), training.end());
        ChordModel model;
        const std::size_t fold = trainings.size() - 1;
        // The fold's mark in every confidence: a calibration that ignores the posterior.
        const double mark = (double(fold) + 0.5) / 10;
        model.chords.calibration.fill({std::log(mark / (1 - mark)), 0});
        return model;
    };
    const std::vector<FileRun> runs = crossValidate(files, 3, fit);
    ASSERT_EQ(trainings.size(), 3u);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!files[i].scored) {
            EXPECT_TRUE(runs[i].segments.empty());
            continue;
        }
        const auto fold = std::size_t(runs[i].segments.at(0).confidence * 10); // the model that analysed it
        EXPECT_EQ(int(fold), runs[i].fold);
        for (const ChordFile *seen : trainings[fold])
            EXPECT_NE(seen->file.group, files[i].file.group) << i;
    }
    // Every file, also one only fitted on, is fitted on in every fold but its own.
    for (const ChordFile &f : files)
        EXPECT_EQ(std::count_if(trainings.begin(), trainings.end(), [&](const auto &t) { return t.contains(&f); }), 2);
}

// In quarter notes at 480 ticks: C shown right for 2 and wrong for 1 at 90 %, N wrong for half
// a quarter at 35 %, then a gap where nothing is shown and nothing counts. The 90 % tenth is
// right 2/3 of its time (off by 0.9 - 2/3), the 30 % tenth never (off by 0.35): weighted by
// time, (3 (0.9 - 2/3) + 0.5 * 0.35) / 3.5 = 0.25.
TEST(ChordScore, WeighsTheConfidencesShownByTheirTime)
{
    ChordFile f;
    f.file.ticksPerQuarter = 480;
    f.reference = {{0, 960, "C:maj", "", 0, {}}, {960, 1920, "G:maj", "", 0, {}}};
    const FileScore s = scoreFile(f, {{0, 960, "C:maj", "", 0, 0.9}, {960, 1440, "C:maj", "", 0, 0.9},
                                      {1440, 1680, "N", "", 0, 0.35}});
    EXPECT_DOUBLE_EQ(s.reliability.bins[9].quarters, 3);
    EXPECT_DOUBLE_EQ(s.reliability.bins[9].right, 2);
    EXPECT_DOUBLE_EQ(s.reliability.bins[3].quarters, 0.5);
    EXPECT_DOUBLE_EQ(s.reliability.bins[3].right, 0);
    EXPECT_DOUBLE_EQ(s.reliability.calibrationError(), 0.25);
}

// Each quality said is counted against the annotation's, whatever the root, bass or spelling.
TEST(ChordScore, CountsEachQualitySaidAgainstAnnotated)
{
    ChordFile f;
    f.file.ticksPerQuarter = 480;
    f.reference = {{0, 960, "C:sus2", "", 0, {}}, {960, 1920, "Bb:maj7/3", "", 0, {}}, {1920, 2880, "G", "", 0, {}},
                   {2880, 3840, "N", "", 0, {}}};
    const FileScore s = scoreFile(f, {{0, 960, "C:maj", "", 0, 0.5}, {960, 1440, "A#:maj7", "", 0, 0.5},
                                      {1440, 1920, "A#:maj7/5", "", 0, 0.5}, {1920, 3840, "G:(1,5)", "", 0, 0.5}});
    const QualityCounts expected = {{"sus2", {0, 1}}, {"maj", {1, 1}}, {"maj7", {2, 1}}, {"(1,5)", {1, 0}}, {"N", {0, 1}}};
    EXPECT_EQ(s.qualities, expected);
}
