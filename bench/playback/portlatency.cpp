// Measures live input latency on this machine: over a private JACK server (dummy backend,
// 64 frames at 48 kHz, synchronous mode) a test port plays notes into the live input; for
// each, the time from the send until the handler on the Qt owner thread is reached, and
// until the library's KeySetTrkEvsR has returned there (median, 99th percentile, worst).
// Target: 99th percentile under 5 ms on an otherwise idle machine.
//
// --realtime runs the server (and so the clients' process threads) at realtime priority, as
// JACK is run for music; the Qt thread stays an ordinary one either way.
//
//     portlatency [--notes 1000] [--spacing 4] [--realtime] [--library path]
#include "benchstats.h"
#include "qt/binding/tonalytelibrary.h"
#include "qt/ports/portinput.h"

#include "jackserver.h"

#include <RtMidi.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <random>
#include <thread>
#include <vector>

using namespace tunedeck;
using Clock = std::chrono::steady_clock;

namespace {

using benchstats::Summary;
using benchstats::cpuModel;
using benchstats::loadAverage;
using benchstats::summarize;

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Live MIDI input latency over a private JACK server"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("notes"), QStringLiteral("Notes to play (a note-on and a note-off each)."),
                      QStringLiteral("n"), QStringLiteral("1000")});
    parser.addOption({QStringLiteral("spacing"), QStringLiteral("Mean milliseconds between messages."),
                      QStringLiteral("ms"), QStringLiteral("4")});
    parser.addOption({QStringLiteral("realtime"), QStringLiteral("Run the JACK server at realtime priority.")});
    parser.addOption({QStringLiteral("library"), QStringLiteral("The key library to load."), QStringLiteral("path"),
                      QStringLiteral(TONALYTE_LIBRARY)});
    parser.process(app);
    const int notes = std::max(1, parser.value(QStringLiteral("notes")).toInt());
    const int spacing = std::max(1, parser.value(QStringLiteral("spacing")).toInt());

    std::printf("Machine: %u processors, %s, load average %.2f\n", std::thread::hardware_concurrency(),
                cpuModel().c_str(), loadAverage());
    const bool realtime = parser.isSet(QStringLiteral("realtime"));
    JackTestServer jack(realtime);
    if (!jack.running()) {
        std::printf("No JACK server: %s\n", qPrintable(jack.whyNot()));
        return 1;
    }
    TonalyteLibrary library(parser.value(QStringLiteral("library")));
    qint32 version = 0;
    if (!library.checkVersion(version)) {
        std::printf("The key library %s is missing or of another version (%d)\n",
                    qPrintable(parser.value(QStringLiteral("library"))), version);
        return 1;
    }

    RtMidiOut keyboard(RtMidi::UNIX_JACK, "latency-keyboard");
    keyboard.openVirtualPort("out");
    const PortListing inputs = listPorts(PortDirection::Input);
    const MidiPort *source = findPort(inputs.ports, "latency-keyboard:out");
    PortInput input;
    if (!source || !input.start(*source)) {
        std::printf("The test port could not be opened: %s\n", qPrintable(input.errorString()));
        return 1;
    }

    const std::size_t messages = std::size_t(notes) * 2;
    std::vector<std::atomic<std::int64_t>> sentAt(messages);
    std::vector<double> reached, keyed;
    std::size_t next = 0, misordered = 0;
    QEventLoop loop;
    library.KeyClearEvs();
    library.KeySetSensitive(1);
    library.KeySetDetectMode(0);
    library.KeyStartTimer();
    QObject::connect(&input, &PortInput::noteReceived, &loop, [&](const NoteEvent &e) {
        const std::int64_t at = nowNs();
        if (next >= messages)
            return;
        const std::size_t k = next++;
        if (e.note != 48 + (k / 2) % 24 || e.on != (k % 2 == 0))
            ++misordered;
        qint32 d1 = 0, d2 = 0;
        library.KeySetTrkEvsR(e.on ? 144 : 128, e.note, e.velocity, &d1, &d2);
        const std::int64_t done = nowNs();
        reached.push_back(double(at - sentAt[k]) / 1e6);
        keyed.push_back(double(done - sentAt[k]) / 1e6);
        if (next == messages)
            loop.quit();
    });

    // Played from a thread of its own, at uneven spacing so sends fall anywhere in JACK's cycle.
    std::thread player([&] {
        std::mt19937 random(12345);
        std::uniform_int_distribution<int> jitter(-spacing * 400, spacing * 400);
        for (std::size_t k = 0; k < messages; ++k) {
            const unsigned char note = static_cast<unsigned char>(48 + (k / 2) % 24);
            const unsigned char message[3] = {0x90, note, static_cast<unsigned char>(k % 2 == 0 ? 100 : 0)};
            sentAt[k] = nowNs();
            keyboard.sendMessage(message, 3);
            std::this_thread::sleep_for(std::chrono::microseconds(spacing * 1000 + jitter(random)));
        }
    });
    QTimer::singleShot(int(messages) * spacing * 2 + 5000, &loop, &QEventLoop::quit);
    loop.exec();
    player.join();
    library.KeyStopTimer();

    std::printf("Live input over JACK (dummy backend, 64 frames at 48 kHz, sync mode, %s): %d notes, %zu messages "
                "about %d ms apart\n",
                realtime ? "realtime" : "not realtime", notes, messages, spacing);
    if (reached.size() != messages || misordered) {
        std::printf("  %zu of %zu messages arrived, %zu out of order\n", reached.size(), messages, misordered);
        return 1;
    }
    closePortSystems(); // before the server stops
    const Summary r = summarize(reached), d = summarize(keyed);
    std::printf("  send to handler reached:    median %.3f ms, 99th percentile %.3f ms, worst %.3f ms\n", r.median,
                r.p99, r.worst);
    std::printf("  send to KeySetTrkEvsR done: median %.3f ms, 99th percentile %.3f ms, worst %.3f ms\n", d.median,
                d.p99, d.worst);
    return 0;
}
