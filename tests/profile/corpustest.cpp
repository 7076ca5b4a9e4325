// The analysis with its defaults on the shared corpus keeps the accuracy it was tuned to
// (docs/PROFILE-ANALYSIS.md); skipped when the corpus is not beside the project.
#include "keyscore/corpus.h"
#include "keyscore/scoring.h"

#include <gtest/gtest.h>

using namespace tunedeck::profile;
using namespace tunedeck::keyscore;

TEST(ProfileCorpus, DefaultsKeepTheirAccuracy)
{
    std::vector<std::string> warnings;
    const std::vector<CorpusFile> files = loadCorpus(TUNEDECK_CORPUS, warnings);
    if (files.empty())
        GTEST_SKIP() << "no shared corpus at " << TUNEDECK_CORPUS;
    std::vector<FileResult> results;
    for (const CorpusFile &f : files)
        results.push_back(scoreFile(f, analyseProfile(f.events, f.ticksPerQuarter, 4 * f.ticksPerQuarter)));
    const Summary s = summarise(files, results, std::vector<bool>(files.size(), true));
    // Whole-file exact keys, and the local keys against the annotated regions: pop songs,
    // art songs and textbook examples (wir).
    EXPECT_GE(s.sets.at("pop909").exact, 91.0);
    EXPECT_GE(s.sets.at("bach").exact, 98.0);
    EXPECT_GE(s.local.exact, 88.5);
    EXPECT_GE(s.multi.exact, 74.0);
    if (s.songs.files > 0) {
        EXPECT_GE(s.songs.exact, 79.5);
        EXPECT_GE(s.textbooks.exact, 65.5);
    }
}

// Cross-validation folds keep a group's files together and fill the emptiest fold first.
TEST(ProfileCorpus, FoldsKeepGroupsTogether)
{
    std::vector<CorpusFile> files;
    for (const char *group : {"composer A", "composer A", "composer A", "book B", "book B", "pop 1", "pop 2", "pop 3"})
        files.emplace_back().group = group;
    const std::vector<int> fold = groupFolds(files, 3);
    EXPECT_EQ(fold, (std::vector<int>{0, 0, 0, 1, 1, 2, 2, 1}));
}
