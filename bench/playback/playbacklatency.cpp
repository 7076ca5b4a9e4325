// Measures playback timing on this machine:
//  1. lateness: a few thousand events at short spacing through a silent sink; how late each
//     was sent against its scheduled time (median, 99th percentile, worst);
//  2. drift: the key library's 1 ms tick count against steady-clock time over a long play,
//     read at every played-event notification and at the end of data.
// Targets: 99th percentile lateness under 2 ms on an otherwise idle machine; drift under 5 ms.
//
//     playbacklatency [--events 3000] [--spacing 5] [--seconds 30] [--library path]
#include "benchstats.h"
#include "core/playback/midisink.h"
#include "qt/playback/playlistoutput.h"
#include "tonalyte.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QLibrary>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using tunedeck::MidiSink;
using tunedeck::PlayListOutput;
using Clock = std::chrono::steady_clock;

namespace {

using benchstats::Summary;
using benchstats::cpuModel;
using benchstats::loadAverage;
using benchstats::summarize;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Silent, but notes the start of play and the instant of every send.
class TimingSink : public MidiSink {
public:
    void started(Clock::time_point origin) override
    {
        std::lock_guard lock(mutex_);
        origin_ = origin;
        sends_.clear();
    }
    bool send(std::uint8_t, std::uint8_t, std::uint8_t) override
    {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(mutex_);
        sends_.push_back(now);
        return true;
    }
    void allOff() override {}

    Clock::time_point origin() const
    {
        std::lock_guard lock(mutex_);
        return origin_;
    }
    std::vector<Clock::time_point> sends() const
    {
        std::lock_guard lock(mutex_);
        return sends_;
    }

private:
    mutable std::mutex mutex_;
    Clock::time_point origin_;
    std::vector<Clock::time_point> sends_;
};

// Note-on/note-off pairs, all tagged so notifications flow as in real play.
void fillList(PlayListOutput &out, int count, int spacingMs, std::vector<qint32> &times)
{
    times.clear();
    for (int k = 0; k < count; ++k) {
        const qint32 time = k * spacingMs;
        const bool on = k % 2 == 0;
        out.append({time, std::uint8_t(on ? 0x90 : 0x80), 60, std::uint8_t(on ? 100 : 0), 0,
                    1000000 + 60 * 1000 + (on ? 100 : 0)});
        times.push_back(time);
    }
}

bool playToEnd(PlayListOutput &out, int timeoutMs)
{
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&out, &PlayListOutput::endOfData, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    out.play();
    loop.exec();
    return ended;
}

int measureLateness(int events, int spacingMs)
{
    auto sink = std::make_shared<TimingSink>();
    PlayListOutput out;
    out.setSink(sink);
    out.open();
    std::vector<qint32> times;
    fillList(out, events, spacingMs, times);
    std::printf("Lateness: %d events, %d ms apart (%.1f s)\n", events, spacingMs, events * spacingMs / 1000.0);
    if (!playToEnd(out, events * spacingMs + 10000)) {
        std::printf("  no end of data\n");
        return 1;
    }
    const std::vector<Clock::time_point> sends = sink->sends();
    if (sends.size() != times.size()) {
        std::printf("  %zu events sent of %zu\n", sends.size(), times.size());
        return 1;
    }
    std::vector<double> late;
    late.reserve(sends.size());
    for (std::size_t k = 0; k < sends.size(); ++k)
        late.push_back(msBetween(sink->origin() + std::chrono::milliseconds(times[k]), sends[k]));
    const Summary s = summarize(late);
    std::printf("  sent late by: median %.3f ms, 99th percentile %.3f ms, worst %.3f ms\n", s.median, s.p99,
                s.worst);
    return 0;
}

int measureDrift(const QString &libraryPath, int seconds)
{
    QLibrary library(libraryPath);
    auto clearEvs = reinterpret_cast<decltype(&::KeyClearEvs)>(library.resolve("KeyClearEvs"));
    auto startTimer = reinterpret_cast<decltype(&::KeyStartTimer)>(library.resolve("KeyStartTimer"));
    auto stopTimer = reinterpret_cast<decltype(&::KeyStopTimer)>(library.resolve("KeyStopTimer"));
    auto timeTCnt = reinterpret_cast<decltype(&::KeyGetTimeTCnt)>(library.resolve("KeyGetTimeTCnt"));
    if (!clearEvs || !startTimer || !stopTimer || !timeTCnt) {
        std::printf("Drift: cannot use %s: %s\n", qPrintable(libraryPath), qPrintable(library.errorString()));
        return 1;
    }

    constexpr int SpacingMs = 20;
    auto sink = std::make_shared<TimingSink>();
    PlayListOutput out;
    out.setSink(sink);
    out.open();
    std::vector<qint32> times;
    fillList(out, seconds * 1000 / SpacingMs, SpacingMs, times);
    std::printf("Drift: %d s play, %zu events, library %s\n", seconds, times.size(), qPrintable(libraryPath));

    clearEvs();
    const Clock::time_point start = Clock::now();
    if (startTimer() == 0) {
        std::printf("  KeyStartTimer failed\n");
        return 1;
    }
    double maxDrift = 0;
    std::vector<double> lags; // elapsed ms minus tick count
    std::vector<double> delays;
    std::size_t played = 0;
    auto sample = [&] {
        const qint32 count = timeTCnt();
        const Clock::time_point now = Clock::now();
        const double drift = count - msBetween(start, now);
        if (std::abs(drift) > std::abs(maxDrift))
            maxDrift = drift;
        lags.push_back(-drift);
        return drift;
    };
    QObject::connect(&out, &PlayListOutput::playedEvent, [&](qint32) {
        sample();
        if (played < times.size())
            delays.push_back(msBetween(sink->origin() + std::chrono::milliseconds(times[played]), Clock::now()));
        ++played;
    });
    double endDrift = 0;
    QObject::connect(&out, &PlayListOutput::endOfData, [&] { endDrift = sample(); });
    const bool ended = playToEnd(out, seconds * 1000 + 10000);
    stopTimer();
    if (!ended) {
        std::printf("  no end of data\n");
        return 1;
    }
    const Summary d = summarize(delays);
    const Summary lag = summarize(lags);
    std::printf("  tick count minus elapsed ms: largest %+.3f ms, at the end %+.3f ms\n", maxDrift, endDrift);
    std::printf("  tick count behind elapsed time: median %.3f ms, 99th percentile %.3f ms\n", lag.median, lag.p99);
    std::printf("  played-event notification after the event time: median %.3f ms, 99th percentile %.3f ms\n",
                d.median, d.p99);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Playback timing of the MIDI output and the library's tick count"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("events"), QStringLiteral("Events of the lateness run."), QStringLiteral("n"),
                      QStringLiteral("3000")});
    parser.addOption({QStringLiteral("spacing"), QStringLiteral("Milliseconds between them."), QStringLiteral("ms"),
                      QStringLiteral("5")});
    parser.addOption({QStringLiteral("seconds"), QStringLiteral("Length of the drift run."), QStringLiteral("s"),
                      QStringLiteral("30")});
    parser.addOption({QStringLiteral("library"), QStringLiteral("The key library to load."), QStringLiteral("path"),
                      QStringLiteral(TONALYTE_LIBRARY)});
    parser.process(app);

    std::printf("Machine: %u processors, %s, load average %.2f\n", std::thread::hardware_concurrency(),
                cpuModel().c_str(), loadAverage());
    int failures = measureLateness(std::max(1, parser.value(QStringLiteral("events")).toInt()),
                                   std::max(0, parser.value(QStringLiteral("spacing")).toInt()));
    failures += measureDrift(parser.value(QStringLiteral("library")),
                             std::max(1, parser.value(QStringLiteral("seconds")).toInt()));
    return failures == 0 ? 0 : 1;
}
