// tunedeck-detect for tests: a worker whose file path holds the text of
// TUNEDECK_TEST_CRASH_ON aborts, one holding TUNEDECK_TEST_HANG_ON never answers, one holding
// TUNEDECK_TEST_CRASH_AFTER aborts once its answer is made. With TUNEDECK_TEST_PAUSE_IN_COPY
// naming a file that is not there, the first copy written (in any process of the run) makes
// that file, stops half written, says "copy half written" on stderr and waits there for a
// signal. Everything else is the real command.
#include "detectrun.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string environmentText(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

// Half the bytes, then a signal awaited without a moment in which it could slip by unseen.
bool pauseHalfWay(const std::string &once, const tunedeck::batch::BlockSink &write, std::string_view bytes)
{
    const int made = ::open(once.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (made < 0)
        return write(bytes);
    ::close(made);
    if (!write(bytes.substr(0, bytes.size() / 2)))
        return false;
    sigset_t stops, before;
    sigemptyset(&stops);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stops, s);
    sigprocmask(SIG_BLOCK, &stops, &before);
    std::fputs("copy half written\n", stderr);
    std::fflush(stderr);
    sigsuspend(&before);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return write(bytes.substr(bytes.size() / 2));
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string crashOn = environmentText("TUNEDECK_TEST_CRASH_ON");
    const std::string hangOn = environmentText("TUNEDECK_TEST_HANG_ON");
    const std::string crashAfter = environmentText("TUNEDECK_TEST_CRASH_AFTER");
    tunedeck::DetectHooks hooks;
    hooks.beforeJob = [&](std::string_view job) {
        if (!crashOn.empty() && job.find(crashOn) != std::string_view::npos)
            std::abort();
        if (!hangOn.empty() && job.find(hangOn) != std::string_view::npos)
            for (;;)
                std::this_thread::sleep_for(std::chrono::hours(1));
    };
    hooks.beforeAnswer = [&](std::string_view job) {
        if (!crashAfter.empty() && job.find(crashAfter) != std::string_view::npos)
            std::abort();
    };
    if (const std::string once = environmentText("TUNEDECK_TEST_PAUSE_IN_COPY"); !once.empty())
        hooks.writeCopy = [once](const tunedeck::batch::BlockSink &write, std::string_view bytes) {
            return pauseHalfWay(once, write, bytes);
        };
    return tunedeck::runDetectCommand(argc, argv, hooks);
}
