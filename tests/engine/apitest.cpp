// Binding, settings, reset and the test log switch.
#include "apitest.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace tonalyte_test {

const TonalyteApi *Tonalyte(std::string *error) {
    static LibraryLoader loader(TONALYTE_TEST_LIBRARY);
    static TonalyteApi api{};
    static const bool bound = loader.bind(api);
    if (error)
        *error = loader.error();
    return bound ? &api : nullptr;
}

void EngineApiTest::SetUp() {
    std::string error;
    k = Tonalyte(&error);
    ASSERT_NE(k, nullptr) << error;
    k->KeyClearEvs();
    k->KeySetSensitive(0);
    k->KeySetDetectMode(1);
    k->KeySetTestOn(0);
}

int32_t EngineApiTest::Chord(std::vector<std::pair<int32_t, int32_t>> noteLengths) {
    std::sort(noteLengths.begin(), noteLengths.end());
    for (const auto &[note, length] : noteLengths)
        On(0, note);
    std::stable_sort(noteLengths.begin(), noteLengths.end(),
                     [](const auto &a, const auto &b) { return a.second < b.second; });
    int32_t result = -2;
    for (const auto &[note, length] : noteLengths)
        result = Off(length, note);
    return result;
}

void EngineApiTest::FeedWorkedRun() {
    const int32_t notes[9] = {60, 62, 64, 65, 67, 69, 71, 72, 66};
    for (int32_t i = 0; i < 9; ++i) {
        On(400 * i, notes[i]);
        Off(400 * (i + 1), notes[i]);
    }
}

Held EngineApiTest::Probe() {
    Held h{-2, -2, -2};
    h.key = k->KeySetTrkEvsR(kNoteOff, 1, 0, &h.detail1, &h.detail2);
    return h;
}

KeyStats EngineApiTest::Stats() {
    KeyStats s;
    s.detected = k->KeyGetKStatic(s.keys.data(), s.counts.data());
    return s;
}

Timeline EngineApiTest::ReadTimeline() {
    Timeline t;
    t.keys.fill(Timeline::kUntouched);
    t.times.fill(Timeline::kUntouched);
    t.full = k->KeyGetKTiming(t.keys.data(), t.times.data());
    return t;
}

void LogTest::SetUp() {
    EngineApiTest::SetUp();
    if (HasFatalFailure())
        return;
#if defined(_WIN32)
    log_ = "C:\\KeyTest.txt";
    std::filesystem::remove(log_);
#else
    // The library looks TMPDIR up at every write, so moving it here is enough.
    std::string pattern = (std::filesystem::temp_directory_path() / "tonalyte-log-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    if (const char *old = std::getenv("TMPDIR")) {
        hadTmpDir_ = true;
        oldTmpDir_ = old;
    }
    setenv("TMPDIR", dir_.c_str(), 1);
    log_ = dir_ / "KeyTest.txt";
#endif
    k->KeySetTestOn(1);
}

void LogTest::TearDown() {
    if (k)
        k->KeySetTestOn(0);
#if !defined(_WIN32)
    if (hadTmpDir_)
        setenv("TMPDIR", oldTmpDir_.c_str(), 1);
    else
        unsetenv("TMPDIR");
    std::error_code ignored;
    if (!dir_.empty())
        std::filesystem::remove_all(dir_, ignored);
#endif
}

std::vector<std::string> LogTest::LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

namespace {

TEST(LibraryBinding, EveryExportResolvesByName) {
    LibraryLoader loader(TONALYTE_TEST_LIBRARY);
    ASSERT_TRUE(loader.isLoaded()) << loader.error();
    for (const char *name : kTonalyteExports)
        EXPECT_NE(loader.symbol(name), nullptr) << name;
    EXPECT_EQ(loader.symbol("KeyNoSuchExport"), nullptr);
    TonalyteApi api{};
    EXPECT_TRUE(loader.bind(api)) << loader.error();
}

#if defined(_WIN32)
// Programs that bind by ordinal get the same functions, numbered as in tonalyte.def.
TEST(LibraryBinding, OrdinalsFollowTheExportOrder) {
    LibraryLoader loader(TONALYTE_TEST_LIBRARY);
    ASSERT_TRUE(loader.isLoaded()) << loader.error();
    for (int i = 0; i < int(kTonalyteExports.size()); ++i) {
        EXPECT_NE(loader.symbol(i + 1), nullptr) << i + 1;
        EXPECT_EQ(loader.symbol(i + 1), loader.symbol(kTonalyteExports[i])) << i + 1;
    }
    EXPECT_EQ(loader.symbol(int(kTonalyteExports.size()) + 1), nullptr);
    auto version = reinterpret_cast<int32_t(TONALYTE_CALL *)()>(loader.symbol(1));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 126);
}
#endif

TEST_F(EngineApiTest, VersionAndSettingsResults) {
    EXPECT_EQ(k->KeyGetDllVersion(), 126);
    for (int32_t flag : {0, 1, 5, -1}) {
        EXPECT_EQ(k->KeySetSensitive(flag), 1);
        EXPECT_EQ(k->KeySetDetectMode(flag), 1);
        EXPECT_EQ(k->KeySetTestOn(flag), 1);
    }
    k->KeySetTestOn(0);
    EXPECT_EQ(k->KeyGetDllVersion(), 126);
}

TEST_F(EngineApiTest, ClearEvsResetsWhatARunLeftBehind) {
    FeedWorkedRun();
    ASSERT_EQ(Stats().detected, 6);
    EXPECT_EQ(k->KeyGetHaCode(), 0);

    EXPECT_EQ(k->KeyClearEvs(), 0);
    EXPECT_EQ(k->KeyGetTapCnt(), 0);
    EXPECT_EQ(k->KeyGetKeyType(), 0);
    EXPECT_EQ(k->KeyGetSsMinCur(), 0.0f);
    EXPECT_EQ(k->KeyGetInpTCnt(), 0);
    EXPECT_EQ(k->KeyGetHaCode(), 0);
    EXPECT_EQ(k->KeyGetTimeTCnt(), 0);

    const KeyStats s = Stats();
    EXPECT_EQ(s.detected, 0);
    for (int32_t i = 0; i < 12; ++i) {
        EXPECT_EQ(s.keys[i], 160 + i);
        EXPECT_EQ(s.keys[12 + i], 60 + i);
    }
    EXPECT_EQ(s.counts, (std::array<int32_t, 24>{}));

    const Timeline t = ReadTimeline();
    EXPECT_EQ(t.full, 0);
    EXPECT_EQ(t.keys[0], 0);
    EXPECT_EQ(t.times[0], -1);
    EXPECT_EQ(t.keys[1], Timeline::kUntouched);
    EXPECT_EQ(t.times[1], Timeline::kUntouched);

    // The run ended at tick 3600; time 0 is accepted again.
    EXPECT_EQ(On(0, 60), 0);
    const Held h = Probe();
    EXPECT_EQ(h.key, 0);
    EXPECT_EQ(h.detail1, -1);
    EXPECT_EQ(h.detail2, -1);
}

TEST_F(LogTest, ClearEvsKeepsTheSettings) {
    k->KeySetSensitive(1);
    k->KeyClearEvs();
    // Still strict: six pitch classes are too few to evaluate at all.
    EXPECT_EQ(Chord({{60, 100}, {62, 100}, {64, 100}, {65, 100}, {67, 100}, {69, 100}}), 0);
    EXPECT_EQ(k->KeyGetTapCnt(), 0);
    // Still logging.
    EXPECT_EQ(k->KeySetTrkEvsF(100, 145, 60, 100), -1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"(EvCod != 0x90) && (EvCod != 0x80)"});
}

TEST_F(LogTest, LogIsWrittenOnlyWhileSwitchedOn) {
    k->KeySetTestOn(0);
    EXPECT_EQ(k->KeySetTrkEvsF(0, 145, 60, 100), -1);
    EXPECT_EQ(k->KeySetTrkEvsF(0, kNoteOn, 0, 100), -1);
    ReadTimeline();
    EXPECT_FALSE(LogExists());

    k->KeySetTestOn(-1);
    EXPECT_EQ(k->KeySetTrkEvsF(0, 145, 60, 100), -1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"(EvCod != 0x90) && (EvCod != 0x80)"});
}

}  // namespace
}  // namespace tonalyte_test
