// One engine with its own clock and test log, for programs that link the engine in: they may
// hold as many as they have callers. The library's exports work on the one of the process.
#ifndef TONALYTE_INSTANCE_H
#define TONALYTE_INSTANCE_H

#include <cstdint>
#include <memory>
#include <string>

namespace tonalyte {

struct Engine;
class TickSource;
class TickTimer;

class Instance {
public:
    Instance();
    ~Instance();
    Instance(const Instance &) = delete;
    Instance &operator=(const Instance &) = delete;

    // The 17 calls, as the exports of the same names answer them.
    int32_t clearEvs();
    int32_t startTimer();
    int32_t stopTimer();
    int32_t timeTCnt() const;
    float ssMinCur() const;
    int32_t inpTCnt() const;
    int32_t tapCnt() const;
    int32_t keyType() const;
    int32_t haCode() const;
    int32_t kStatic(int32_t *keys, int32_t *counts) const;
    int32_t setTrkEvsF(int32_t plTime, int32_t evCod, int32_t evCao, int32_t evVel);
    int32_t setTrkEvsR(int32_t evCod, int32_t evCao, int32_t evVel, int32_t *out1, int32_t *out2);
    int32_t kTiming(int32_t *keys, int32_t *times) const;
    int32_t setDetectMode(int32_t flag);
    int32_t setSensitive(int32_t flag);
    int32_t setTestOn(int32_t flag);

    // Replaces this engine's tick source (a test's or the page's clock); nullptr restores the
    // platform's. A running timer is stopped first.
    void setTickSource(TickSource *source);
    // This engine's own test log; empty restores the platform's KeyTest.txt.
    void setTestLogPath(std::string path);
    // The engine's clock, for its own tests.
    TickTimer &timer() { return *timer_; }

private:
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<TickTimer> timer_;
    std::string testLog_;
};

} // namespace tonalyte

#endif
