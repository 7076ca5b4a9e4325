// Timeline of the main keys: time texts, key selection, merging and start fix-ups.
#include "core/reports/keytimingreport.h"
#include "core/reports/numbertext.h"
#include "core/reports/resulttext.h"

#include <gtest/gtest.h>

#include <climits>

using namespace tunedeck;

namespace {

using Texts = std::vector<std::string>;
using Codes = std::vector<std::int32_t>;

KeyTimeline timeline(std::initializer_list<std::pair<std::int32_t, std::int32_t>> timeCodes)
{
    KeyTimeline t;
    t.times.fill(-1);
    std::size_t i = 0;
    for (const auto &[time, code] : timeCodes) {
        t.times[i] = time;
        t.codes[i] = code;
        ++i;
    }
    return t;
}

// Rankings and timeline entries written as the fixed-width texts "ppp:ccc" and "tttt:ccc"
// (bars, or minutes and seconds), which keeps the tables short.
std::vector<RankedKey> ranked(const Texts &stat)
{
    std::vector<RankedKey> out;
    for (const std::string &e : stat)
        out.push_back({std::stoi(e.substr(4, 3)), std::stoi(e.substr(0, 3))});
    return out;
}

Texts entryTexts(const std::vector<TimelinePoint> &points, bool barTiming)
{
    Texts out;
    for (const TimelinePoint &p : points)
        out.push_back((barTiming ? zeroPadded(p.at, 4) : zeroPadded(p.at / 60, 2) + zeroPadded(p.at % 60, 2)) + ':'
                      + zeroPadded(p.code, 3));
    return out;
}

struct Report {
    Texts keyTime, keyFilter, points;
    Codes selected;
    std::string error;
};

Report build(const KeyTimeline &t, const Texts &stat, bool barTiming, std::int32_t ticksPerBar, KeyCountChoice keys)
{
    const KeyTimingReport r = buildKeyTimingReport(t, ranked(stat), barTiming, ticksPerBar, keys);
    return {entryTexts(r.entries, barTiming), entryTexts(r.points, barTiming), text::timelinePoints(r), r.selected,
            text::timelineOverflow(r.overflow)};
}

const Texts workedStat{"060:160", "030:067", "010:069"};
const KeyTimeline worked = timeline({{0, 160}, {12500, 67}, {61000, 160}, {75000, 0}, {90000, 69}});

} // namespace

TEST(KeyTimingReport, WorkedExample)
{
    struct Case {
        const char *name;
        KeyCountChoice keys;
        Texts filter, points;
    };
    const Case cases[] = {
        {"2 keys", KeyCountChoice::Two, {"0000:160", "0012:067", "0101:160"},
         {"00:00 C Major", "00:12 G Minor", "01:01 C Major"}},
        {"1 key", KeyCountChoice::One, {"0000:160"}, {"00:00 C Major"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Report r = build(worked, workedStat, false, 0, c.keys);
        EXPECT_EQ(r.keyTime, (Texts{"0000:160", "0012:067", "0101:160", "0115:000", "0130:069"}));
        EXPECT_EQ(r.keyFilter, c.filter);
        EXPECT_EQ(r.points, c.points);
        EXPECT_EQ(r.error, "");
    }
}

TEST(KeyTimingReport, SelectsKeys)
{
    struct Case {
        const char *name;
        Texts keyStat;
        KeyCountChoice keys;
        Codes selected;
    };
    Texts twelve;
    for (int i = 0; i < 12; ++i)
        twelve.push_back("005:" + std::to_string(160 + i));
    const Case cases[] = {
        {"not known: 40+25+20 reaches 70", {"040:160", "025:067", "020:162", "015:069"}, KeyCountChoice::NotKnown,
         {160, 67, 162}},
        {"not known: first key alone", {"075:160", "025:067"}, KeyCountChoice::NotKnown, {160}},
        {"not known: at most 10", twelve, KeyCountChoice::NotKnown, {160, 161, 162, 163, 164, 165, 166, 167, 168, 169}},
        {"4 keys, two ranked", {"070:160", "030:067"}, KeyCountChoice::Four, {160, 67}},
        {"3 keys ignore the 70 mark", {"080:160", "015:067", "005:062"}, KeyCountChoice::Three, {160, 67, 62}},
        {"nothing ranked", {}, KeyCountChoice::Two, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(build(worked, c.keyStat, false, 0, c.keys).selected, c.selected) << c.name;
}

TEST(KeyTimingReport, BarOverflow)
{
    KeyTimeline t = timeline({{0, 160}, {1536 * 9998, 67}, {1536 * 9999, 160}, {1536 * 978670, 67}});
    t.full = 1; // the later message replaces "Timing overflow 1"
    const Report r = build(t, {"050:160", "050:067"}, true, 1536, KeyCountChoice::Two);
    EXPECT_EQ(r.keyTime, (Texts{"0001:160", "9999:067"}));
    EXPECT_EQ(r.error, "Timing overflow 3");
    EXPECT_EQ(r.points, (Texts{"0001: C Major", "9999: G Minor"}));
    const KeyTimingReport all =
        buildKeyTimingReport(t, ranked({"050:160", "050:067"}), true, 1536, KeyCountChoice::Two, BarLimit::Every);
    EXPECT_EQ(text::timelinePoints(all), (Texts{"0001: C Major", "9999: G Minor", "10000: C Major", "978671: G Minor"}));
}

TEST(KeyTimingReport, MinuteOverflow)
{
    struct Case {
        const char *name;
        std::int32_t lastTime;
        Texts keyTime;
        const char *error;
    };
    const Case cases[] = {
        {"99:59", 5999999, {"0000:160", "9959:067"}, ""},
        {"100 minutes", 6000000, {"0000:160"}, "Timing overflow 2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Report r = build(timeline({{0, 160}, {c.lastTime, 67}}), {"050:160", "050:067"}, false, 0,
                               KeyCountChoice::Two);
        EXPECT_EQ(r.keyTime, c.keyTime);
        EXPECT_EQ(r.error, c.error);
    }
}

TEST(KeyTimingReport, SinglePointBecomesTheOverallKey)
{
    const Report r = build(timeline({{0, 0}, {5000, 67}, {9000, 0}}), {"060:160", "030:067"}, true, 1536,
                           KeyCountChoice::Two);
    EXPECT_EQ(r.keyFilter, Texts{"0001:160"});
    EXPECT_EQ(r.points, Texts{"0001: C Major"});
}

TEST(KeyTimingReport, FirstKeptEntryMovesToTheStart)
{
    const Report r = build(timeline({{0, 0}, {5000, 160}, {20000, 67}}), {"060:160", "030:067"}, true, 1536,
                           KeyCountChoice::Two);
    EXPECT_EQ(r.keyTime, (Texts{"0001:000", "0004:160", "0014:067"}));
    EXPECT_EQ(r.keyFilter, (Texts{"0001:160", "0014:067"}));
    EXPECT_EQ(r.points, (Texts{"0001: C Major", "0014: G Minor"}));
}

TEST(KeyTimingReport, MergesAcrossDroppedEntries)
{
    const KeyTimeline t = timeline({{0, 160}, {2000, 62}, {4000, 0}, {6000, 160}, {8000, 67},
                                    {10000, 69}, {12000, 67}, {14000, 160}});
    const Report r = build(t, {"050:160", "030:067", "020:062"}, false, 0, KeyCountChoice::Two);
    EXPECT_EQ(r.keyFilter, (Texts{"0000:160", "0008:067", "0014:160"}));
}

TEST(KeyTimingReport, FullTimeline)
{
    KeyTimeline t;
    for (std::size_t i = 0; i < t.times.size(); ++i) {
        t.times[i] = std::int32_t(i) * 1536;
        t.codes[i] = i % 2 ? 67 : 160;
    }
    t.full = 1;
    const Report r = build(t, {"050:160", "050:067"}, true, 1536, KeyCountChoice::Two);
    ASSERT_EQ(r.keyTime.size(), 256u);
    EXPECT_EQ(r.keyTime.back(), "0256:067");
    EXPECT_EQ(r.error, "Timing overflow 1");
    EXPECT_EQ(r.points.size(), 256u);
}

TEST(KeyTimingReport, EmptyTimeline)
{
    const KeyTimeline t = timeline({});
    Report r = build(t, {"070:069"}, false, 0, KeyCountChoice::Two);
    EXPECT_TRUE(r.keyTime.empty());
    EXPECT_EQ(r.points, Texts{"00:00 A Minor"});

    r = build(t, {}, true, 1536, KeyCountChoice::Two);
    EXPECT_TRUE(r.keyFilter.empty());
    EXPECT_TRUE(r.points.empty());
}

TEST(KeyTimingReport, LargeAndMissingTicksPerBar)
{
    // 9600 ticks per quarter in 4/4 does not fit 16 bits.
    const KeyTimeline t = timeline({{0, 160}, {38400 * 5, 67}, {INT_MAX, 160}});
    Report r = build(t, {"050:160", "050:067"}, true, 38400, KeyCountChoice::Two);
    EXPECT_EQ(r.keyTime, (Texts{"0001:160", "0006:067"}));
    EXPECT_EQ(r.error, "Timing overflow 3");

    r = build(timeline({{0, 160}, {42, 67}}), {"050:160", "050:067"}, true, 0, KeyCountChoice::Two);
    EXPECT_EQ(r.keyTime, (Texts{"0001:160", "0043:067"}));
}
