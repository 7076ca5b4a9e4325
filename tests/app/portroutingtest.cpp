// The port routing without a port server: what it refuses before a port is opened, where
// listening plays through, and the runner passing the refusals on as its notices. Ports
// opened, played through and lost are tested on a private JACK server (tests/ports).
#include "clockedtonalyte.h"
#include "fakedisplay.h"
#include "midiwriter.h"
#include "core/playback/midisink.h"
#include "qt/playback/playlistoutput.h"
#include "qt/run/portrouting.h"
#include "qt/run/runner.h"

#include <QSignalSpy>
#include <QTest>

using namespace tunedeck;

namespace {

struct Silent : MidiSink {
    bool send(std::uint8_t, std::uint8_t, std::uint8_t) override { return true; }
    void allOff() override {}
};

const PortEntry BuiltIn{EntryKind::BuiltIn, {}, {}};
const PortEntry Away{EntryKind::Away, {"Keystation:out", PortApi::Alsa}, {}};
// Listed, but no port system has it: opening it fails whichever system answers.
const PortEntry Missing{EntryKind::Port, {"tunedeck-no-such-port", PortApi::Alsa}, {}};
const PortEntry *const Entries[] = {&BuiltIn, &Away, &Missing};

// A routing over an output whose sink is a silent stand-in, so nothing sounds.
struct Routed {
    TestClock clock;
    PlayListOutput output{SoundOptions{true, {}}, clock};
    std::shared_ptr<Silent> sink = std::make_shared<Silent>();
    PortRouting routing{&output};
    QSignalSpy failed{&routing, &PortRouting::outputFailed};

    Routed() { output.setSink(sink); }
};

} // namespace

class PortRoutingTest : public QObject {
    Q_OBJECT

    TestFiles files;

private slots:
    void inputRefusal_data()
    {
        QTest::addColumn<int>("entry"); // in Entries, -1 for none
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("why");
        QTest::newRow("none chosen") << -1 << true << QString();
        QTest::newRow("built-in synthesizer") << 0 << true << QString();
        QTest::newRow("away") << 1 << true << QStringLiteral("The MIDI input Keystation:out is not connected");
        QTest::newRow("listed") << 2 << false << QString();
    }

    void inputRefusal()
    {
        QFETCH(int, entry);
        QFETCH(bool, refused);
        QFETCH(QString, why);
        const std::optional<QString> refusal = tunedeck::inputRefusal(entry < 0 ? nullptr : Entries[entry]);
        QCOMPARE(refusal.has_value(), refused);
        QCOMPARE(refusal.value_or(QString()), why);
    }

    // A port that is not there leaves plays where they went, and says why.
    void outputChoice()
    {
        Routed r;
        QVERIFY(!r.routing.chooseOutput(&Away));
        QCOMPARE(r.failed.size(), 1);
        QCOMPARE(r.failed.at(0).at(0).toString(), QStringLiteral("The MIDI output Keystation:out is not connected"));
        QVERIFY(r.routing.chooseOutput(nullptr));
        QVERIFY(r.routing.chooseOutput(&BuiltIn));
        QCOMPARE(r.output.sink(), std::shared_ptr<MidiSink>(r.sink));
        QCOMPARE(r.failed.size(), 1);
    }

    // Listening plays through to where plays go, or nowhere.
    void thruSink()
    {
        Routed r;
        QCOMPARE(r.routing.thruSink(&Away, false), std::optional<std::shared_ptr<MidiSink>>(nullptr));
        QCOMPARE(r.routing.thruSink(nullptr, true), std::optional<std::shared_ptr<MidiSink>>(r.sink));
        QVERIFY(!r.routing.thruSink(&Away, true));
        QCOMPARE(r.failed.size(), 1);

        PortRouting silent(nullptr); // nothing plays: any output is taken, nothing played through
        QSignalSpy failed(&silent, &PortRouting::outputFailed);
        QVERIFY(silent.chooseOutput(&Away));
        QCOMPARE(silent.thruSink(&Away, true), std::optional<std::shared_ptr<MidiSink>>(nullptr));
        QVERIFY(failed.isEmpty());
    }

    void inputThatCannotOpen()
    {
        Routed r;
        QVERIFY(!r.routing.openInput(Missing.port, r.sink));
        QVERIFY(!r.routing.inputOpen());
        QVERIFY(r.routing.inputProblem().startsWith(
            QStringLiteral("The MIDI input tunedeck-no-such-port could not be opened: ")));
        r.routing.closeInput(); // harmless when closed
        QVERIFY(!r.routing.inputOpen());
    }

    // The refusals reach the window as the runner's notices, and nothing starts.
    void runnerPassesRefusalsOn()
    {
        Routed r;
        ClockedTonalyte engine(r.clock);
        Runner runner(engine.library, &r.output, r.routing, r.clock);
        std::vector<std::pair<RunNotice, QString>> notices;
        connect(&runner, &Runner::notice, this,
                [&](RunNotice n, const QString &detail) { notices.emplace_back(n, detail); });
        int started = 0;
        connect(&runner, &Runner::stateChanged, this, [&] { ++started; });

        midiwriter::File f(1, 480);
        f.addTrack().note(0, 60, 100, 480);
        runner.play(files.save(f), &Away);
        runner.listen(&Away, nullptr, false);
        runner.listen(nullptr, nullptr, false);
        runner.listen(&Missing, &Away, true);
        QCOMPARE(notices.size(), std::size_t(4));
        const std::vector<std::pair<RunNotice, QString>> expected{
            {RunNotice::OutputError, QStringLiteral("The MIDI output Keystation:out is not connected")},
            {RunNotice::InputRefused, QStringLiteral("The MIDI input Keystation:out is not connected")},
            {RunNotice::InputRefused, QString()},
            {RunNotice::OutputError, QStringLiteral("The MIDI output Keystation:out is not connected")},
        };
        QCOMPARE(notices, expected);

        runner.listen(&Missing, nullptr, true);
        QCOMPARE(notices.back().first, RunNotice::InputRefused);
        QCOMPARE(notices.back().second, r.routing.inputProblem());
        QCOMPARE(started, 0);
        QCOMPARE(runner.state(), RunState::Idle);
    }
};

QTEST_GUILESS_MAIN(PortRoutingTest)
#include "portroutingtest.moc"
