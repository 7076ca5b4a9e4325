// The whole detection state of one engine, with its load and reset values.
#ifndef TONALYTE_ENGINESTATE_H
#define TONALYTE_ENGINESTATE_H

#include <cstdint>
#include <string>

namespace tonalyte {

constexpr int NoteCount = 128;
constexpr int PitchClassCount = 12;
constexpr int TimelineSize = 256;
// Event times from here on are refused; in real time that is about 25.5 days of ticks.
constexpr uint32_t MaxTCnt = 2200000000u;
// A note sounding longer than this (in the caller's time unit) is cut and counted so far.
constexpr int32_t CutLength = 2000;

struct NoteState {
    int16_t onCnt;       // note-ons not yet matched by note-offs
    int32_t startTime;   // start of the current sounding stretch
    int32_t lastOnTime;  // latest note-on, or the last cut
};

struct KeyDecision {
    int32_t time;
    int32_t keyCode;
    int32_t inpTCnt;
};

struct KeyPair {
    int32_t keyCode;
    int32_t inpTCnt;
};

struct KeyStatEntry {
    // Widened from 16 bits: a long piece easily counts one key more than 32767 times.
    int32_t minorCnt;
    int32_t majorCnt;
};

struct Engine {
    NoteState noteState[NoteCount];
    int32_t pcDur[PitchClassCount];
    KeyStatEntry keyStat[PitchClassCount];
    int32_t detectCnt;
    KeyDecision keyTimeline[TimelineSize];
    int16_t timelineLen;
    int16_t timelineFull;

    KeyDecision curDecision;
    KeyPair heldDecision;
    KeyPair acceptedDecision;
    KeyDecision scoredDecision;

    int32_t keyType;
    int32_t haCode;
    int16_t tapCnt;
    float fitRatio;
    float ratioLimit;
    float savedRatio;
    int32_t pendingStart;
    int32_t changeOnTime;
    int32_t detail1, detail2;
    int32_t outDetail1, outDetail2;
    int32_t timeTCnt;

    bool testOn;
    // Where this engine's test log goes; nullptr: the platform's KeyTest.txt.
    const std::string *testLog;
    bool strictMode;
    int32_t minInpTCnt;
    bool detectMode;
};

// The state right after the library is loaded.
constexpr Engine loadedEngine()
{
    Engine e{};
    e.ratioLimit = 1.0f;
    e.savedRatio = 1.0f;
    e.pendingStart = -1;
    e.minInpTCnt = 6;
    return e;
}

// KeyClearEvs without the timer count: settings and the working decisions survive.
void clearEngine(Engine &e);

void setSensitive(Engine &e, bool strict);

// Pitch classes that have accumulated time.
int countInpTCnt(const Engine &e);

// Sign-preserving 32-bit arithmetic that wraps like the counters it models.
constexpr int32_t wrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t wrapSub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

} // namespace tonalyte

#endif
