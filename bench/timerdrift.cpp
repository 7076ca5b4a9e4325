// How far the library's tick count strays from elapsed time while its timer runs.
// Usage: tonalyte_timerdrift [seconds]   (10 by default)
#include "tonalyte.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    using clock = std::chrono::steady_clock;
    KeyClearEvs();
    const auto start = clock::now();
    if (!KeyStartTimer()) {
        std::fprintf(stderr, "KeyStartTimer() failed\n");
        return 1;
    }
    double worst = 0;
    const auto end = start + std::chrono::seconds(seconds);
    while (clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(97));
        // Read the count between two clock readings, and compare with their middle.
        const auto before = clock::now();
        const int32_t ticks = KeyGetTimeTCnt();
        const auto after = clock::now();
        const double elapsed = std::chrono::duration<double, std::milli>(before - start).count()
            + std::chrono::duration<double, std::milli>(after - before).count() / 2;
        worst = std::max(worst, std::fabs(elapsed - ticks));
    }
    const double total = std::chrono::duration<double, std::milli>(clock::now() - start).count();
    const int32_t finalTicks = KeyGetTimeTCnt();
    KeyStopTimer();
    std::printf("run %.0f ms, ticks %d, drift at the end %.2f ms, largest drift %.2f ms\n", total, finalTicks,
                total - finalTicks, worst);
    return 0;
}
