// The runner listening to a test keyboard on a private JACK server, without a window, on a
// clock the test moves: each note answered as it is heard, timed by listening's own clock,
// the clock's seconds, the notes played through, a note 0 left out, and the reports on Stop.
#include "core/playback/midisink.h"
#include "qt/playback/playlistoutput.h"
#include "qt/ports/portsystem.h"
#include "qt/run/audioexport.h"
#include "qt/run/portrouting.h"
#include "qt/run/profiletracking.h"
#include "qt/run/runner.h"

#include "clockedtonalyte.h"
#include "jackserver.h"
#include "midirecorder.h"
#include "testkeyboard.h"

#include <QTest>

using namespace tunedeck;
using Bytes = std::vector<unsigned char>;

class RunnerListenTest : public QObject {
    Q_OBJECT

private slots:
    void listensToAKeyboard()
    {
        JackTestServer jack;
        if (!jack.running())
            QSKIP(qPrintable(jack.whyNot()));
        TestKeyboard keyboard("tunedeck-test-runner");
        QVERIFY2(keyboard.ready(), keyboard.why());
        const PortListing inputs = listPorts(PortDirection::Input);
        const MidiPort *port = findPort(inputs.ports, "tunedeck-test-runner:out");
        QVERIFY(port);
        const PortEntry input{EntryKind::Port, *port, {}};

        TestClock clock;
        ClockedTonalyte engine(clock);
        PlayListOutput output(SoundOptions{true, {}}, clock);
        auto through = std::make_shared<MidiRecorder>();
        output.setSink(through);
        PortRouting ports(&output);
        Runner runner(engine.library, &output, ports, clock);
        AudioExport audio(runner);
        std::vector<RunState> states;
        std::vector<RunNotice> notices;
        std::vector<TonalyteAnswer> answers;
        std::vector<std::uint32_t> ticks;
        std::vector<std::int64_t> heardAt; // the second of listening's clock each note was heard in
        std::vector<KeyReports> reports;
        connect(&runner, &Runner::stateChanged, this, [&](RunState s) { states.push_back(s); });
        connect(&runner, &Runner::notice, this, [&](RunNotice n) { notices.push_back(n); });
        connect(&runner, &Runner::answered, this, [&](const TonalyteAnswer &a) { answers.push_back(a); });
        connect(&runner, &Runner::clockTicked, this, [&](std::uint32_t ms) { ticks.push_back(ms); });
        connect(&runner, &Runner::reported, this, [&](const KeyReports &r) { reports.push_back(r); });
        connect(&runner.profileTracking(), &ProfileTracking::tonalyteKey, this,
                [&](std::int64_t second, std::int32_t) { heardAt.push_back(second); });

        clock.advance(700); // listening's clock starts with it
        runner.listen(&input, nullptr, true);
        QCOMPARE(states, std::vector<RunState>{RunState::Listening});
        QCOMPARE(notices, std::vector<RunNotice>{RunNotice::Listening});
        QVERIFY(!mayStart(runner.state()));
        QVERIFY(!audio.length(QStringLiteral("any.mid"))); // listening holds the library

        QVERIFY(keyboard.waitForConnection([&] { return through->last(); }, PortWaitMs));
        const std::size_t probes = through->count();

        // The C major scale, each note 400 ms, heard before the clock moves on.
        const Bytes scale{60, 62, 64, 65, 67, 69, 71, 72};
        for (const Bytes::value_type note : scale)
            for (const Bytes &m : {Bytes{0x90, note, 100}, Bytes{0x80, note, 0}}) {
                const std::size_t before = answers.size();
                keyboard.sendMessage(&m);
                QTRY_COMPARE_WITH_TIMEOUT(answers.size(), before + 1, PortWaitMs);
                clock.advance(m[0] == 0x90 ? 400 : 0);
            }
        QCOMPARE(answers.front().note.note, 60);
        QVERIFY(answers.front().note.on);
        QCOMPARE(answers.back().keyCode, 160);
        QCOMPARE(heardAt, (std::vector<std::int64_t>{0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 3}));
        QCOMPARE(ticks, (std::vector<std::uint32_t>{1000, 2000, 3000}));
        QTRY_COMPARE_WITH_TIMEOUT(through->count(), probes + 16, PortWaitMs);

        // A note 0, which the library refuses, goes unfed, is counted, and listening goes on:
        // the next note is answered.
        std::vector<std::pair<int, int>> leftOut;
        connect(&runner, &Runner::notesLeftOut, this, [&](int transposed, int zero) { leftOut.emplace_back(transposed, zero); });
        for (const Bytes &m : {Bytes{0x90, 0, 100}, Bytes{0x80, 0, 0}, Bytes{0x90, 60, 100}})
            keyboard.sendMessage(&m);
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), std::size_t(17), PortWaitMs);
        QCOMPARE(answers.back().note.note, 60);
        QVERIFY(answers.back().keyCode >= 0);
        QCOMPARE(leftOut, (std::vector<std::pair<int, int>>{{0, 1}}));
        QCOMPARE(states, std::vector<RunState>{RunState::Listening});
        QTRY_COMPARE_WITH_TIMEOUT(through->count(), probes + 19, PortWaitMs);

        runner.stop();
        QCOMPARE(states, (std::vector<RunState>{RunState::Listening, RunState::Idle}));
        QCOMPARE(notices.back(), RunNotice::Stopped);
        QCOMPARE(ticks.back(), 3200u); // where listening ended
        QCOMPARE(reports.size(), std::size_t(1));
        QCOMPARE(reports[0].overall.top().code, 160);
        const Bytes late{0x90, 60, 100};
        keyboard.sendMessage(&late);
        QTRY_COMPARE_WITH_TIMEOUT(through->count(), probes + 19, PortWaitMs); // played through no more
        clock.advance(5000);
        QCOMPARE(answers.size(), std::size_t(17));
        QCOMPARE(ticks.size(), std::size_t(4));
        closePortSystems(); // before the server stops, so that it takes our client away
    }
};

QTEST_GUILESS_MAIN(RunnerListenTest)
#include "runnerlistentest.moc"
