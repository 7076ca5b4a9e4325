// Per-key statistics and the key timeline, with its log dump.
#include "apitest.h"

namespace tonalyte_test {
namespace {

TEST_F(EngineApiTest, MinorKeysCountInTheSecondHalf) {
    // A harmonic minor is accepted at the sixth and again at the seventh release.
    EXPECT_EQ(Chord({{69, 300}, {71, 100}, {60, 100}, {62, 100}, {64, 300}, {65, 100}, {68, 100}}), 69);
    const KeyStats s = Stats();
    EXPECT_EQ(s.detected, 2);
    std::array<int32_t, 24> expected{};
    expected[12 + 9] = 2;
    EXPECT_EQ(s.counts, expected);
    EXPECT_EQ(s.keys[21], 69);
}

TEST_F(LogTest, NewRegionStartsAtTheNoteThatEndedTheLastKey) {
    FeedWorkedRun();
    // F sharp, struck at 3200, ended C major; with G A B C D E it makes G major.
    int32_t t = 3600;
    int32_t result = -2;
    for (int32_t note : {67, 69, 71, 72, 62, 64}) {
        On(t, note);
        result = Off(t + 400, note);
        t += 400;
    }
    EXPECT_EQ(result, 167);

    const Timeline tl = ReadTimeline();
    EXPECT_EQ(tl.full, 0);
    EXPECT_EQ((std::vector<int32_t>(tl.keys.begin(), tl.keys.begin() + 4)),
              (std::vector<int32_t>{160, 167, 0, Timeline::kUntouched}));
    EXPECT_EQ((std::vector<int32_t>(tl.times.begin(), tl.times.begin() + 4)),
              (std::vector<int32_t>{0, 3200, -1, Timeline::kUntouched}));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"000: 0000000, 160", "001: 0003200, 167",
                                                    "002: -000001, 000", "================="}));
}

class FullTimeline : public LogTest {
protected:
    // Region r is seven notes of 100 ticks from 700 r: C major for even r, F sharp major
    // for odd r. Each region's first note ends the previous key, so each is one entry.
    void Regions(int32_t first, int32_t count) {
        static const int32_t kScales[2][7] = {{60, 62, 64, 65, 67, 69, 71}, {66, 68, 70, 71, 73, 75, 77}};
        for (int32_t r = first; r < first + count; ++r) {
            int32_t t = 700 * r;
            for (int32_t note : kScales[r % 2]) {
                On(t, note);
                Off(t + 100, note);
                t += 100;
            }
        }
    }
};

TEST_F(FullTimeline, StopsAt256EntriesWhileStatisticsGoOn) {
    Regions(0, 255);
    Timeline tl = ReadTimeline();
    EXPECT_EQ(tl.full, 0);
    EXPECT_EQ(tl.times[254], 700 * 254);
    EXPECT_EQ(tl.times[255], -1);

    Regions(255, 1);
    tl = ReadTimeline();
    EXPECT_EQ(tl.full, 1);
    for (int32_t i = 0; i < 256; ++i) {
        EXPECT_EQ(tl.keys[i], i % 2 ? 166 : 160) << i;
        EXPECT_EQ(tl.times[i], 700 * i) << i;
    }
    // 255 entries, the terminator and its closing line, then all 256 entries and no closing line.
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 256u + 1u + 256u);
    EXPECT_EQ(lines[254], "254: 0177800, 160");
    EXPECT_EQ(lines[255], "255: -000001, 000");
    EXPECT_EQ(lines[256], "=================");
    EXPECT_EQ(lines[257], "000: 0000000, 160");
    EXPECT_EQ(lines.back(), "255: 0178500, 166");

    // A further region counts its first note-on (old key), then its sixth release onwards.
    const int32_t before = Stats().detected;
    Regions(256, 4);
    EXPECT_EQ(Stats().detected, before + 4 * 4);
    const Timeline after = ReadTimeline();
    EXPECT_EQ(after.full, 1);
    EXPECT_EQ(after.keys, tl.keys);
    EXPECT_EQ(after.times, tl.times);
}

}  // namespace
}  // namespace tonalyte_test
