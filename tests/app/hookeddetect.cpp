// tunedeck-detect for tests: a worker whose file path holds the text of
// TUNEDECK_TEST_CRASH_ON aborts, one holding TUNEDECK_TEST_HANG_ON never answers.
// Everything else is the real command.
#include "detectrun.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::string environmentText(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string crashOn = environmentText("TUNEDECK_TEST_CRASH_ON");
    const std::string hangOn = environmentText("TUNEDECK_TEST_HANG_ON");
    return tunedeck::runDetectCommand(argc, argv, [&](std::string_view job) {
        if (!crashOn.empty() && job.find(crashOn) != std::string_view::npos)
            std::abort();
        if (!hangOn.empty() && job.find(hangOn) != std::string_view::npos)
            for (;;)
                std::this_thread::sleep_for(std::chrono::hours(1));
    });
}
