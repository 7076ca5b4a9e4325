// The progress bar a collection run draws on stderr when stderr is a terminal.
#ifndef TUNEDECK_CORE_BATCH_PROGRESS_H
#define TUNEDECK_CORE_BATCH_PROGRESS_H

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace tunedeck::batch {

bool isTerminal(std::FILE *stream);

// "[##########----------]  1200/2000 files  950 files/s  1 s left" without a line end.
std::string progressLine(std::size_t done, std::size_t total, double seconds, int barWidth = 24);

// Redraws its line in place at most ten times a second; draws nothing when disabled.
class ProgressBar {
public:
    explicit ProgressBar(std::size_t total, std::FILE *stream = stderr);
    ProgressBar(std::size_t total, std::FILE *stream, bool enabled);
    ~ProgressBar();

    void update(std::size_t done);
    // Clears the line, so the summary can be written in its place.
    void finish();
    double seconds() const;

private:
    using Clock = std::chrono::steady_clock;

    std::size_t total_;
    std::FILE *stream_;
    bool enabled_;
    bool drawn_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDraw_{};
};

} // namespace tunedeck::batch

#endif
