// Fixtures for the tests that drive the built library through its C exports.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "libraryloader.h"

namespace tonalyte_test {

inline constexpr int32_t kNoteOn = 0x90;
inline constexpr int32_t kNoteOff = 0x80;

// One engine per process: the library is loaded once and stays loaded.
const TonalyteApi *Tonalyte(std::string *error);

struct KeyStats {
    int32_t detected = 0;
    std::array<int32_t, 24> keys{}, counts{};
};

struct Timeline {
    static constexpr int32_t kUntouched = 12345;
    int32_t full = -7;
    std::array<int32_t, 256> keys{}, times{};
};

struct Held {
    int32_t key, detail1, detail2;
};

class EngineApiTest : public ::testing::Test {
protected:
    void SetUp() override;

    int32_t On(int32_t time, int32_t note, int32_t vel = 100) { return k->KeySetTrkEvsF(time, kNoteOn, note, vel); }
    int32_t Off(int32_t time, int32_t note) { return k->KeySetTrkEvsF(time, kNoteOff, note, 0); }

    // Strikes every note at tick 0 and releases each after its length, shortest first.
    // Returns the result of the last release.
    int32_t Chord(std::vector<std::pair<int32_t, int32_t>> noteLengths);

    // The notes 60 62 64 65 67 69 71 72 66, each sounding for 400 ticks in turn,
    // every note-off fed before the next note-on of the same tick.
    void FeedWorkedRun();

    // The key in force and the detail pair, read through the real-time feed with a
    // note-off of a note that never sounds (counts once if a key is held).
    Held Probe();

    KeyStats Stats();
    Timeline ReadTimeline();

    const TonalyteApi *k = nullptr;
};

// The test log goes to a fresh temporary directory for each test.
class LogTest : public EngineApiTest {
protected:
    void SetUp() override;
    void TearDown() override;
    std::vector<std::string> LogLines() const;
    bool LogExists() const { return std::filesystem::exists(log_); }

    std::filesystem::path dir_, log_;
    std::string oldTmpDir_;
    bool hadTmpDir_ = false;
};

}  // namespace tonalyte_test
