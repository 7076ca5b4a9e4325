// tunedeck-keyscore's command line as CLI11 reads it: the lists, rate sets and profile names
// every row is made of, and the exit codes of help and mistakes.
#include "keyscore/options.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tunedeck::keyscore;

namespace {

std::optional<int> read(std::vector<const char *> args, KeyscoreOptions &options)
{
    args.insert(args.begin(), "tunedeck-keyscore");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::optional<int> code = readCommandLine(int(args.size()), const_cast<char **>(args.data()), options);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    return code;
}

std::size_t listAt(const char *flag)
{
    const auto lists = listOptions();
    const auto named = [&](const ListOption &l) { return l.flag == std::string(flag); };
    return std::size_t(std::find_if(lists.begin(), lists.end(), named) - lists.begin());
}

} // namespace

TEST(KeyscoreOptions, ReadsWhatEachRowIsMadeOf)
{
    KeyscoreOptions o;
    ASSERT_EQ(read({"corpus/here", "--stay", "0.9,0.99", "--chord-weight", "0", "--rates", "0.25/0.5,none",
                    "--changes", "fitted,uniform", "--check-tables", "app/core/profile", "--table", "chord-evidence,profile"},
                   o),
              std::nullopt);
    EXPECT_EQ(o.corpus, "corpus/here");
    EXPECT_EQ(o.lists[listAt("--stay")], (std::vector<double>{0.9, 0.99}));
    EXPECT_EQ(o.lists[listAt("--chord-weight")], std::vector<double>{0});
    EXPECT_EQ(o.lists[listAt("--sharpness")], std::vector<double>{tunedeck::profile::AnalysisOptions{}.sharpness});
    EXPECT_EQ(o.rateSets, (std::vector<std::vector<double>>{{0.25, 0.5}, {}}));
    EXPECT_EQ(o.changes, (std::vector<std::string>{"fitted", "uniform"}));
    EXPECT_EQ(o.profiles, std::vector<std::string>{"fitted"});
    EXPECT_EQ(o.checkTables, "app/core/profile");
    EXPECT_EQ(o.tables, (std::vector<std::string>{"chord-evidence", "profile"}));

    KeyscoreOptions all;
    ASSERT_EQ(read({"--profile", "all"}, all), std::nullopt);
    EXPECT_EQ(all.profiles.size(), tunedeck::profile::allProfiles().size() + 1);
    EXPECT_EQ(all.profiles.back(), "fitted-loo");
    EXPECT_EQ(all.rateSets, std::vector<std::vector<double>>{tunedeck::profile::AnalysisOptions{}.local.changeRates});
}

TEST(KeyscoreOptions, HelpAndMistakesEndTheRun)
{
    const struct {
        std::vector<const char *> args;
        int code;
    } cases[] = {
        {{"--help"}, 0},
        {{"--stay", "0.9,x"}, 2},
        {{"--nested", "1"}, 2},
        {{"--profile", "all,sapp"}, 2},
        {{"--profile", "nobody"}, 2},
        {{"--rates", "0.25/x"}, 2},
        {{"--table", "everything"}, 2},
        {{"--fit-tables", "a", "--check-tables", "b"}, 2},
        {{"--bogus"}, 2},
    };
    for (const auto &c : cases) {
        KeyscoreOptions o;
        EXPECT_EQ(read(c.args, o), c.code) << c.args.front();
    }
}
