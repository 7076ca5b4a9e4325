// The MIDI ports against a private JACK server (dummy backend): live input from a test
// keyboard port, a file played to a test port, ports that vanish, and silence without a server.
#include "core/midi/midifile.h"
#include "qt/playback/playlistoutput.h"
#include "core/playback/playlist.h"
#include "qt/ports/portinput.h"
#include "qt/ports/portsink.h"
#include "qt/ports/portwatcher.h"

#include "clockedtonalyte.h"
#include "jackserver.h"
#include "testkeyboard.h"
#include "midiwriter.h"
#include "midirecorder.h"

#include <RtMidi.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

#include <unistd.h>

#include <mutex>

using namespace tunedeck;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;

namespace {

// The play list of events on an output to the port that pattern names.
bool compose(PlayListOutput &out, const std::vector<TimedEvent> &events, const char *pattern)
{
    const PortSinkStart start = openPortSink(pattern);
    if (!start.sink) {
        qWarning("%s", start.error.c_str());
        return false;
    }
    out.setSink(start.sink);
    out.open();
    for (TimedEvent e : events) {
        e.tag = 0;
        out.append(e);
    }
    return true;
}

} // namespace

class PortsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<JackTestServer> jack;

    bool serverUp()
    {
        if (!jack)
            jack = std::make_unique<JackTestServer>();
        return jack->running();
    }

private slots:
    void cleanupTestCase()
    {
        closePortSystems(); // before the server stops, so that it takes our client away
        jack.reset();
    }

    void portsMatchByName()
    {
        const std::vector<MidiPort> ports = {
            {"Grand Piano:in-2", PortApi::Jack}, {"FluidSynth:midi", PortApi::Alsa}, {"Piano:IN", PortApi::Jack}};
        // A part of the name in any case; a whole name before an earlier part; the first of
        // several parts; none; nothing for an empty pattern.
        const std::pair<const char *, int> cases[] = {{"SYNTH", 1}, {"piano:in", 2}, {":in", 0}, {"organ", -1}, {"", -1}};
        for (const auto &[pattern, expected] : cases) {
            const MidiPort *found = findPort(ports, pattern);
            QCOMPARE(found ? int(found - ports.data()) : -1, expected);
        }
    }

    // Before any server of ours: nothing listed, a reason, and not a word on stderr.
    void withoutServerListsNothingSilently()
    {
        qputenv("JACK_DEFAULT_SERVER", QByteArray("tunedeck-none-") + QByteArray::number(getpid()));
        QTemporaryFile captured;
        QVERIFY(captured.open());
        std::fflush(stderr);
        const int saved = dup(2);
        dup2(captured.handle(), 2);
        const PortListing inputs = listPorts(PortDirection::Input);
        const PortSinkStart sink = openPortSink("anything");
        PortInput input;
        const bool started = input.start({"nobody:out", PortApi::Jack});
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        qunsetenv("JACK_DEFAULT_SERVER");

        QVERIFY(captured.seek(0)); // the writes moved the shared offset
        QCOMPARE(captured.readAll(), QByteArray());
        QVERIFY2(QString::fromStdString(inputs.reason).contains("no JACK server is running"), inputs.reason.c_str());
        QVERIFY(std::none_of(inputs.ports.begin(), inputs.ports.end(), [](auto &p) { return p.api == PortApi::Jack; }));
        if (!QFile::exists("/dev/snd/seq"))
            QVERIFY(inputs.ports.empty() && inputs.reason.find("/dev/snd/seq") != std::string::npos);
        QVERIFY2(!sink.sink && sink.error.starts_with("No MIDI output port matches \"anything\""), sink.error.c_str());
        QVERIFY(!started && input.errorString().contains("no JACK server"));
    }

    void liveInputDeliversTheNotes_data()
    {
        QTest::addColumn<bool>("skipDrums");
        QTest::newRow("drums left out, live key") << true;
        QTest::newRow("drums delivered") << false;
    }
    void liveInputDeliversTheNotes()
    {
        QFETCH(bool, skipDrums);
        if (!serverUp())
            QSKIP(qPrintable(jack->whyNot()));
        TestKeyboard keyboard("tunedeck-test-keyboard");
        QVERIFY2(keyboard.ready(), keyboard.why());
        const PortListing inputs = listPorts(PortDirection::Input);
        const MidiPort *source = findPort(inputs.ports, "test-keyboard");

        TestClock clock;
        ClockedTonalyte engine(clock);
        LinkedTonalyte &library = engine.library;
        library.KeyClearEvs();
        library.KeySetSensitive(1);
        library.KeySetDetectMode(0);
        QVERIFY(library.KeyStartTimer() != 0);
        PortInput input;
        auto thru = std::make_shared<MidiRecorder>();
        input.setThru(thru);
        input.setSkipDrums(skipDrums);
        std::vector<NoteEvent> received;
        qint32 key = 0;
        connect(&input, &PortInput::noteReceived, this, [&](const NoteEvent &e) {
            received.push_back(e);
            qint32 d1 = 0, d2 = 0;
            if (e.channel != DrumChannel)
                key = library.KeySetTrkEvsR(e.on ? 144 : 128, e.note, e.velocity, &d1, &d2);
        });
        QVERIFY2(source && input.start(*source), qPrintable(input.errorString()));
        QVERIFY(keyboard.waitForConnection([&] { return thru->last(); }, PortWaitMs));
        const std::size_t probes = thru->count();

        // A C major scale up and down; half the note-offs are note-ons of velocity 0. The
        // port layer keeps system messages and channel 16 out; drums as asked.
        std::vector<Bytes> sent = {{0xF8}, {0xFE}, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, {0xFA}, {0xC0, 5},
                                   {0xB0, 7, 100}, {0x99, 36, 90}, {0x9F, 61, 90}, {0x89, 36, 0}};
        std::vector<NoteEvent> expected;
        if (!skipDrums)
            expected = {makeNoteEvent(0, 0x99, 36, 90, 0), makeNoteEvent(0, 0x89, 36, 0, 0)};
        int k = 0;
        for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60}) {
            const Bytes off = k++ % 2 ? Bytes{0x90, Bytes::value_type(note), 0} : Bytes{0x80, Bytes::value_type(note), 64};
            sent.insert(sent.end(), {{0x90, Bytes::value_type(note), 100}, off});
            expected.push_back(makeNoteEvent(0, 0x90, note, 100, 0));
            expected.push_back(makeNoteEvent(0, off[0], note, off[2], 0));
        }
        // Each note delivered before the library's clock moves on: a note-on lasts 25 ms.
        const auto delivered = [skipDrums](const Bytes &m) {
            const int kind = m[0] & 0xF0, channel = m[0] & 0x0F;
            return (kind == 0x90 || kind == 0x80) && channel != 15 && (channel != DrumChannel || !skipDrums);
        };
        for (const Bytes &m : sent) {
            const std::size_t before = received.size();
            keyboard.sendMessage(&m);
            if (delivered(m))
                QTRY_COMPARE_WITH_TIMEOUT(received.size(), before + 1, PortWaitMs);
            clock.advance(m[0] == 0x90 && m[2] ? 25 : 2);
        }
        // A controller last: once it has passed through, every note is on its way.
        const Bytes probe{0xB0, 16, 0};
        keyboard.sendMessage(&probe);
        QTRY_COMPARE_WITH_TIMEOUT(thru->count(), probes + sent.size() - 4 + 1, PortWaitMs);
        QCoreApplication::processEvents();
        library.KeyStopTimer();
        QCOMPARE(received, expected);
        std::lock_guard lock(thru->mutex);
        QCOMPARE(thru->messages[probes], (Bytes{0xC0, 5, 0})); // every channel message, no system one
        if (skipDrums)
            QCOMPARE(key, 160);
    }

    // A JACK output handed back is kept and taken again, under the same client name.
    void outputsComeBackUnderTheirName()
    {
        if (!serverUp())
            QSKIP(qPrintable(jack->whyNot()));
        for (int round = 0; round < 3; ++round) {
            TestKeyboard keyboard("tunedeck-test-again");
            QVERIFY2(keyboard.ready(), keyboard.why());
            QVERIFY(findPort(listPorts(PortDirection::Input).ports, "tunedeck-test-again:out"));
            QVERIFY(!findPort(listPorts(PortDirection::Input).ports, "tunedeck-test-again-"));
        }
    }

    void fileArrivesInOrderOnTime()
    {
        if (!serverUp())
            QSKIP(qPrintable(jack->whyNot()));
        midiwriter::File f(1, 480);
        f.addTrack().tempo(600000); // 1.25 ms per tick
        auto &melody = f.addTrack().programChange(0, 5).text("tune").controlChange(0, 7, 100);
        for (int k = 0; k < 12; ++k)
            melody.note(0, 60 + k, 90, 40).wait(8).sysex("\x7E\x7F\xF7"); // timed, never sent
        f.addTrack().programChange(1, 33).at(100).note(1, 36, 80, 200).note(1, 43, 80, 200);
        MidiFile file;
        QVERIFY(file.loadFromBytes(f.bytes()));
        const std::vector<TimedEvent> events = buildPlayList(file, {2, file.trackCount()}, false, msPerTick(file)).events;
        const std::vector<TimedEvent> expected = channelMessagesInPlayOrder(events);

        MidiRecorder receiver("tunedeck-test-receiver");
        PlayListOutput out(SoundOptions{true, {}});
        QVERIFY(compose(out, events, "test-receiver:in"));
        QSignalSpy ended(&out, &PlayListOutput::endOfData);
        QSignalSpy errors(&out, &PlayListOutput::error);
        const Clock::time_point started = Clock::now();
        out.play();
        QVERIFY(ended.wait(PortWaitMs));
        QTRY_COMPARE_WITH_TIMEOUT(receiver.count(), expected.size(), PortWaitMs);
        out.stop(); // all off: four controllers on each of the 16 channels
        QTRY_COMPARE_WITH_TIMEOUT(receiver.count(), expected.size() + 64, PortWaitMs);
        QCOMPARE(errors.count(), 0);

        std::lock_guard lock(receiver.mutex);
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const TimedEvent &e = expected[k];
            const Bytes bytes = hasOneDataByte(e.status) ? Bytes{e.status, e.data1} : Bytes{e.status, e.data1, e.data2};
            QCOMPARE(receiver.messages[k], bytes);
            const double ms = std::chrono::duration<double, std::milli>(receiver.times[k] - started).count();
            // Never ahead of its time; how late a busy machine makes it is the latency bench's business.
            QVERIFY2(ms > e.ms - 10, qPrintable(QStringLiteral("%1: %2 ms").arg(k).arg(ms)));
        }
        QCOMPARE(receiver.messages.back(), (Bytes{0xBF, 120, 0}));
    }

    // Both ways: the play list to a port that closes, a live input from a port that closes.
    void vanishingPortsGiveErrorsNotHangs()
    {
        if (!serverUp())
            QSKIP(qPrintable(jack->whyNot()));
        PortWatcher watcher(std::chrono::hours(1)); // refreshed by hand
        QSignalSpy changed(&watcher, &PortWatcher::portsChanged);
        auto receiver = std::make_unique<MidiRecorder>("tunedeck-test-leaving");
        TestKeyboard keyboard("tunedeck-test-unplugged");
        QVERIFY2(keyboard.ready(), keyboard.why());
        watcher.refresh();
        QCOMPARE(changed.count(), 1);
        const MidiPort *source = findPort(watcher.inputs().ports, "test-unplugged");
        QVERIFY(source && findPort(watcher.outputs().ports, "test-leaving"));

        PlayListOutput out(SoundOptions{true, {}});
        std::vector<TimedEvent> events;
        for (int k = 0; k < 400; ++k)
            events.push_back({k * 10, std::uint8_t(k % 2 ? 0x80 : 0x90), 60, 90, 2});
        QVERIFY(compose(out, events, "test-leaving"));
        QSignalSpy outputErrors(&out, &PlayListOutput::error);
        PortInput input;
        QSignalSpy inputErrors(&input, &PortInput::error);
        QVERIFY(input.start(*source));
        out.play();
        QTRY_VERIFY_WITH_TIMEOUT(receiver->count() > 0, PortWaitMs); // the play reaches the port
        receiver.reset();
        keyboard.closePort();

        QVERIFY(outputErrors.wait(PortWaitMs));
        QVERIFY2(outputErrors[0][0].toString().endsWith("the MIDI port tunedeck-test-leaving:in has gone"),
                 qPrintable(outputErrors[0][0].toString()));
        QElapsedTimer stopping;
        stopping.start();
        out.stop();
        QVERIFY(stopping.elapsed() < 1000); // no hang
        watcher.refresh();
        QCOMPARE(changed.count(), 2);
        input.checkStillListed(watcher.inputs().ports);
        QCOMPARE(inputErrors.count(), 1);
        QVERIFY(inputErrors[0][0].toString().endsWith("has gone") && !input.isListening());
    }
};

QTEST_GUILESS_MAIN(PortsTest)
#include "portstest.moc"
