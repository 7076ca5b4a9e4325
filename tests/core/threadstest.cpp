// Analyses in several threads of one process, each on an engine of its own, give what the same
// analyses give one after another (run under ThreadSanitizer too).
#include "core/analysis/analysisjson.h"
#include "core/keymodel/keymodelanalysis.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

using namespace tunedeck;

namespace {

std::vector<std::string> exampleFiles()
{
    std::vector<std::string> contents;
    for (const auto &entry : std::filesystem::directory_iterator(TUNEDECK_TEST_EXAMPLES)) {
        std::ifstream in(entry.path(), std::ios::binary);
        contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return contents;
}

// The second setting also runs the key network, whose buffers each thread keeps.
std::string analysed(TonalyteEngine &engine, const std::string &bytes, bool second)
{
    AnalysisChoices choices;
    choices.fast.moreSensitive = second;
    choices.keyNetwork = second;
    return analysisJson(analyseBytes(engine, bytes, choices)).dump();
}

} // namespace

TEST(Threads, AnalysesSideBySideGiveTheSerialResults)
{
    keymodel::installKeyModel();
    const std::vector<std::string> files = exampleFiles();
    ASSERT_FALSE(files.empty());
    // Both sensitivities, so a setting leaking from one engine into another shows.
    std::vector<std::string> serial;
    LinkedTonalyte one;
    for (const std::string &f : files)
        for (bool sensitive : {false, true})
            serial.push_back(analysed(one, f, sensitive));

    constexpr int Threads = 4, Rounds = 3;
    std::vector<std::vector<std::string>> got(Threads);
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            LinkedTonalyte engine;
            std::vector<std::string> &out = got[std::size_t(t)];
            out.resize(serial.size());
            // Each thread starts at another file, so different files run at the same time.
            for (int r = 0; r < Rounds; ++r)
                for (std::size_t k = 0; k < serial.size(); ++k) {
                    const std::size_t i = (k + std::size_t(t)) % serial.size();
                    const std::string json = analysed(engine, files[i / 2], i % 2 == 1);
                    if (r == 0 || json != out[i])
                        out[i] = r == 0 ? json : "differs between rounds";
                }
        });
    for (std::thread &t : threads)
        t.join();
    for (int t = 0; t < Threads; ++t)
        EXPECT_EQ(got[std::size_t(t)], serial) << "thread " << t;
}
