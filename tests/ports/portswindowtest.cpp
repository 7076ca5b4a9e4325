// The window's MIDI ports against a private JACK server (dummy backend), on a clock the test
// moves: "3- Listen" to a test keyboard, a file played to a test port and that port going
// away, and the command line's --list-ports and --render.
#include "core/midi/midifile.h"
#include "core/playback/midisink.h"
#include "qt/playback/playlistoutput.h"
#include "qt/playback/synthesizer.h"
#include "core/playback/playlist.h"
#include "qt/ports/portsystem.h"
#include "core/keymap/keymaprows.h"
#include "qt/keymap/keymapwidget.h"
#include "qt/pianoroll/keybarchart.h"
#include "qt/pianoroll/pianorollwidget.h"
#include "core/pianoroll/rollsources.h"
#include "qt/windows/pianorollpanel.h"
#include "qt/run/runner.h"
#include "qt/windows/frmzon.h"
#include "qt/windows/portchoices.h"

#include "clockedtonalyte.h"
#include "jackserver.h"
#include "midirecorder.h"
#include "testkeyboard.h"
#include "midiwriter.h"
#include "windowtestmain.h"

#include <RtMidi.h>
#include <sndfile.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>

#include <cmath>
#include <mutex>

using namespace tunedeck;
using Bytes = std::vector<unsigned char>;

namespace {

struct Window {
    TestClock clock;
    ClockedTonalyte engine{clock};
    PlayListOutput output{SoundOptions{true, {}}, clock};
    FrmZon window{engine.library, &output, clock};

    template <typename W = QLabel>
    W *child(const char *name)
    {
        for (W *w : window.findChildren<W *>(QLatin1String(name)))
            if (w->window() == &window)
                return w;
        return nullptr;
    }
    QString text(const char *name) { return child(name)->text(); }
    void click(const char *name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    // The port whose name holds part, as the user picks it.
    bool choose(const char *combo, const char *part)
    {
        window.portChoices().refresh();
        auto *box = child<QComboBox>(combo);
        const int k = box->findText(QLatin1String(part), Qt::MatchContains);
        box->setCurrentIndex(k);
        emit box->activated(k);
        return k >= 0;
    }
    // Each message from the keyboard, its note shown, then the time it lasts (a note-on 60 ms,
    // the rest 5) on the window's clock, which the library's keeps.
    bool play(TestKeyboard &keyboard, const std::vector<Bytes> &messages)
    {
        for (const Bytes &m : messages) {
            keyboard.sendMessage(&m);
            const bool on = m[0] == 0x90;
            const QString shown =
                QStringLiteral("Note %1 %2").arg(m[1], 3, 10, QLatin1Char('0')).arg(on ? "On 100" : "Off");
            if (!QTest::qWaitFor([&] { return text("LblMess") == shown; }, PortWaitMs))
                return false;
            clock.advance(on ? 60 : 5);
        }
        return true;
    }
};

// The C major scale up and down, then a low C to end on.
std::vector<Bytes> melody()
{
    std::vector<Bytes> notes;
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60, 48})
        notes.insert(notes.end(), {{0x90, Bytes::value_type(note), 100}, {0x80, Bytes::value_type(note), 0}});
    return notes;
}

} // namespace

class PortsWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<JackTestServer> jack;
    QTemporaryDir dir;

    bool serverUp()
    {
        if (!jack)
            jack = std::make_unique<JackTestServer>();
        return jack->running();
    }

private slots:
    void cleanupTestCase()
    {
        closePortSystems();
        jack.reset();
    }

    // A choice is found again when ALSA numbers the device anew, kept while away, and the
    // whole name wins over a renumbered twin.
    void entriesKeepTheChoice()
    {
        const PortListing listed{{{"Keys:Keys MIDI 1 28:0", PortApi::Alsa}, {"Keys:Keys MIDI 1 24:0", PortApi::Alsa},
                                  {"synth:in", PortApi::Jack}},
                                 "no JACK server is running"};
        const struct {
            const char *chosen;
            bool builtIn;
            std::size_t count;
            int entry;
        } cases[] = {{"", true, 4, 0},         {"Keys:Keys MIDI 1 24:0", true, 4, 2},
                     {"synth:in", false, 3, 2}, {"Keys:Keys MIDI 1 20:0", false, 3, 0},
                     {"synth", false, 4, 3},    {"Keys:Keys MIDI 2 24:1", false, 4, 3}};
        for (const auto &c : cases) {
            const std::vector<PortEntry> entries = portEntries(listed, c.builtIn, c.chosen);
            QCOMPARE(entries.size(), c.count);
            QCOMPARE(chosenEntry(entries, c.chosen), c.entry);
            if (c.count == listed.ports.size() + (c.builtIn ? 1 : 0) + 1)
                QCOMPARE(entries.back(), (PortEntry{EntryKind::Away, {c.chosen, PortApi::Platform}, {}}));
        }
        const std::vector<PortEntry> none = portEntries({{}, "no ALSA sequencer"}, false, "");
        QVERIFY(none.size() == 1 && none[0].kind == EntryKind::NoPorts && none[0].reason == "no ALSA sequencer");
        QCOMPARE(chosenEntry(none, ""), -1);
    }

    // Heard through the window after a file's play: the key shown live, played through to a
    // port, the reports on Stop, the roll showing what was heard, with its keys, and the
    // position bar and the profile bars listening's own.
    void listensToAKeyboard()
    {
        if (!serverUp())
            QSKIP(qPrintable(jack->whyNot()));
        MidiRecorder synth("tunedeck-test-synth");
        TestKeyboard keyboard("tunedeck-test-keyboard");
        QVERIFY2(keyboard.ready(), keyboard.why());
        Window w;
        QVERIFY(w.window.Form_Initialize(false));
        w.window.show();
        w.window.selectMidiFile(QStringLiteral(TUNEDECK_EXAMPLES "/twinkle-modulating.mid"));
        w.click("CmdPlay");
        w.clock.advance(1000);
        w.click("CmdStop");
        QVERIFY(w.text("TotalTime") != QStringLiteral("00:00"));
        QVERIFY(w.choose("CmbInput", "tunedeck-test-keyboard:out"));
        QVERIFY(w.choose("CmbOutput", "tunedeck-test-synth:in"));
        w.child<QCheckBox>("ChkThru")->setChecked(true);
        const PianoRollWidget &roll = *w.window.pianoRoll()->roll();
        QVERIFY(roll.data().notes.size() > 100);
        w.click("CmdListen");
        QCOMPARE(w.text("LblMess"), QStringLiteral("Listening to tunedeck-test-keyboard:out ..."));
        QVERIFY(roll.data().empty());
        QCOMPARE(w.text("TotalTime"), QString());
        for (const char *start : {"CmdPlay", "CmdFastDetect", "CmdListen"})
            QVERIFY(!w.child<QPushButton>(start)->isEnabled());
        QVERIFY(w.window.fileMenu().menu->actions().contains(w.window.fileMenu().mnuExportAudio));
        QVERIFY(!w.window.fileMenu().mnuExportAudio->isEnabled()); // the file is not to be read now

        QVERIFY(keyboard.waitForConnection([&] { return synth.last(); }, PortWaitMs));
        const std::size_t probes = synth.received().size();
        const std::vector<Bytes> sent = melody();
        QVERIFY(w.play(keyboard, sent));
        QCOMPARE(w.text("LblKeyStr"), QStringLiteral("C Major"));
        QCOMPARE(w.text("LblSignat"), QStringLiteral("00"));
        QCOMPARE(w.text("LblcTime"), QStringLiteral("00:01"));
        QCOMPARE(w.text("ElapsedTime"), QStringLiteral("00:01"));
        QVERIFY(w.window.findChild<RunTimer *>(QStringLiteral("TimerCTime"))->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(synth.received().size(), probes + sent.size(), PortWaitMs);
        const std::vector<Bytes> through = synth.received();
        QCOMPARE(std::vector<Bytes>(through.begin() + probes, through.end()), sent);

        // After a silence no key is shown; Stop shows what was heard over everything.
        w.clock.advance(6000);
        const KeyBarChart &profileBars = *w.window.pianoRoll()->profileBars();
        QVERIFY(profileBars.shares().empty());
        w.click("CmdStop");
        QCOMPARE(w.text("LblKType"), QStringLiteral("Overall Key"));
        QVERIFY(profileBars.shares().size() == 1 && profileBars.shares()[0].keyCode == 160);
        QCOMPARE(w.text("TotalTime"), QStringLiteral("00:00"));
        QCOMPARE(roll.data().notes.size(), sent.size() / 2);
        QVERIFY(roll.data().notes.front().pitch == 60 && roll.data().notes.back().pitch == 48);
        QVERIFY(!roll.data().keys.empty()); // the live map's, in seconds
        QCOMPARE(roll.data().keys, rollKeysOfMap(w.window.keyMap()->data(), ProfileRow, 0));
        QVERIFY(w.child<QComboBox>("CmbKeyList")->itemText(0).contains(QLatin1String("% = (00) ")));
        QVERIFY(w.child<QComboBox>("CmbKeyPoint")->itemText(0).startsWith(QLatin1String("00:00 ")));
        for (const char *start : {"CmdPlay", "CmdFastDetect", "CmdListen"})
            QVERIFY(w.child<QPushButton>(start)->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(synth.received().size(), probes + sent.size() + 64, PortWaitMs); // all off
    }

    // A C major scale and its arpeggio played slowly into "3- Listen", two seconds a note:
    // the profile line names C major, any other key only flagged unsure, and the key map's
    // live row shows the key the line shows. (The unsure flag turns at most once in 8 s: the
    // arpeggio gives it the time to settle.)
    void listeningShowsTheScaleKey()
    {
        if (!serverUp())
            QSKIP(qPrintable(jack->whyNot()));
        MidiRecorder synth("tunedeck-test-slow-synth");
        TestKeyboard keyboard("tunedeck-test-slow");
        QVERIFY2(keyboard.ready(), keyboard.why());
        Window w;
        QVERIFY(w.window.Form_Initialize(false));
        QVERIFY(w.choose("CmbInput", "tunedeck-test-slow:out"));
        QVERIFY(w.choose("CmbOutput", "tunedeck-test-slow-synth:in"));
        w.child<QCheckBox>("ChkThru")->setChecked(true);
        w.click("CmdListen");
        QVERIFY(keyboard.waitForConnection([&] { return synth.last(); }, PortWaitMs));

        const QRegularExpression shown(QStringLiteral("^Profile analysis: (-|C major\\??, \\d+ %|[A-G][#b]? m(aj|in)or\\?, \\d+ %)$"));
        for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60, 64, 67, 72, 67, 64, 60}) {
            const Bytes on{0x90, Bytes::value_type(note), 100}, off{0x80, Bytes::value_type(note), 0};
            keyboard.sendMessage(&on);
            QTRY_COMPARE_WITH_TIMEOUT(w.text("LblMess"), QStringLiteral("Note %1 On 100").arg(note, 3, 10, QLatin1Char('0')), PortWaitMs);
            for (int second = 0; second < 2; ++second) {
                w.clock.advance(1000);
                QVERIFY2(shown.match(w.text("LblProfileKey")).hasMatch(), qPrintable(w.text("LblProfileKey")));
            }
            keyboard.sendMessage(&off);
            QTRY_COMPARE_WITH_TIMEOUT(w.text("LblMess"), QStringLiteral("Note %1 Off").arg(note, 3, 10, QLatin1Char('0')), PortWaitMs);
        }
        QVERIFY2(w.text("LblProfileKey").startsWith(QLatin1String("Profile analysis: C major, ")),
                 qPrintable(w.text("LblProfileKey")));
        const KeyMapData &map = w.window.keyMap()->data();
        QCOMPARE(map.rows.at(1).segments.back().keyCode, 160);
        w.click("CmdStop");
    }

    // The input shown without a pick is the choice: when its port goes, its name stays.
    void shownInputThatGoesStaysNamed()
    {
        if (!serverUp())
            QSKIP(qPrintable(jack->whyNot()));
        TestKeyboard keyboard("tunedeck-test-gone");
        QVERIFY2(keyboard.ready(), keyboard.why());
        Window w;
        w.window.portChoices().refresh();
        auto *inputs = w.child<QComboBox>("CmbInput");
        QCOMPARE(inputs->currentText(), QStringLiteral("tunedeck-test-gone:out (JACK)"));
        keyboard.closePort();
        w.window.portChoices().refresh();
        QCOMPARE(inputs->currentText(), QStringLiteral("tunedeck-test-gone:out (not connected)"));
    }

    // Played from the window to a port: every channel message; then the port goes away,
    // during a play and before the next.
    void playsToAPortThatGoes()
    {
        if (!serverUp())
            QSKIP(qPrintable(jack->whyNot()));
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        auto &t = f.addTrack().programChange(0, 5).text("tune").controlChange(0, 7, 100);
        for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60})
            t.note(0, note, 90, 110).sysex("\x7E\x7F\xF7");
        const QString path = dir.filePath("port.mid");
        f.save(path.toStdString());
        MidiFile file;
        QVERIFY(file.loadFromBytes(f.bytes()));
        const std::vector<TimedEvent> expected =
            channelMessagesInPlayOrder(buildPlayList(file, {2, 2}, false, msPerTick(file)).events);

        auto synth = std::make_unique<MidiRecorder>("tunedeck-test-player");
        Window w;
        QVERIFY(w.window.Form_Initialize(false));
        w.window.selectMidiFile(path);
        QVERIFY(w.choose("CmbOutput", "tunedeck-test-player"));
        w.click("CmdPlay");
        // The play waits for its clock: first the port's new connection.
        const std::shared_ptr<MidiSink> port = w.output.sink();
        QVERIFY(waitForConnection([&](const Bytes &m) { port->send(m[0], m[1], m[2]); }, [&] { return synth->last(); },
                                  PortWaitMs));
        const std::size_t probes = synth->received().size();
        w.clock.advance(2000);
        QCOMPARE(w.text("LblError"), QStringLiteral("End Of Data"));
        // The play's own messages, without the all-off of the stops around it.
        auto played = [&] {
            std::vector<Bytes> got = synth->received();
            got.erase(got.begin(), got.begin() + std::ptrdiff_t(probes));
            std::erase_if(got, [](const Bytes &m) {
                return (m[0] & 0xF0) == 0xB0 && (m[1] == 64 || m[1] == 66 || m[1] == 120 || m[1] == 123);
            });
            return got;
        };
        QTRY_COMPARE_WITH_TIMEOUT(played().size(), expected.size(), PortWaitMs);
        const std::vector<Bytes> got = played();
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const TimedEvent &e = expected[k];
            const Bytes bytes = hasOneDataByte(e.status) ? Bytes{e.status, e.data1} : Bytes{e.status, e.data1, e.data2};
            QCOMPARE(got[k], bytes);
        }

        w.click("CmdPlay");
        w.clock.advance(300);
        synth.reset();
        // The port's absence is checked every 100 ms as the play sends: it plays on, 10 ms
        // at a time, until that shows. The label's error gives way to the next note's fit
        // ratio; the status bar keeps it.
        QVERIFY(QTest::qWaitFor([&] {
            w.clock.advance(10);
            return w.window.statusBar()->currentMessage().endsWith("port tunedeck-test-player:in has gone");
        }, PortWaitMs));
        // The choice stays while its port is away, and the next play says so.
        auto *outputs = w.child<QComboBox>("CmbOutput");
        QTRY_VERIFY_WITH_TIMEOUT(outputs->currentText().endsWith(QLatin1String("(not connected)")), PortWaitMs);
        w.click("CmdStop");
        w.window.statusBar()->clearMessage();
        w.click("CmdPlay");
        QCOMPARE(w.text("LblError"), QStringLiteral("MIDIOutput1_Error"));
        QVERIFY(w.window.statusBar()->currentMessage().endsWith("is not connected"));
    }

    // Without a display: the ports listed, and a file rendered to a WAV with sound.
    void commandLine()
    {
        if (!serverUp())
            QSKIP(qPrintable(jack->whyNot()));
        TestKeyboard keyboard("tunedeck-test-cli");
        QVERIFY2(keyboard.ready(), keyboard.why());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(display));
        auto run = [&](const QStringList &args) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(TUNEDECK_PROGRAM), args);
            p.waitForFinished(30000);
            const QByteArray out = p.readAllStandardOutput() + p.readAllStandardError();
            return std::pair{p.exitCode(), QString::fromLocal8Bit(out)};
        };
        const auto [listed, ports] = run({"--list-ports"});
        QCOMPARE(listed, 0);
        QVERIFY2(ports.contains(QLatin1String("  JACK  tunedeck-test-cli:out\n")), qPrintable(ports));

        if (defaultSoundFont().isEmpty())
            QSKIP("no General MIDI soundfont installed (timgm6mb-soundfont)");
        const QString wav = dir.filePath("out.wav");
        const auto [rendered, printed] = run({"--render", wav, QStringLiteral(TUNEDECK_EXAMPLES "/ode-to-joy.mid")});
        QCOMPARE(rendered, 0);
        QCOMPARE(printed.trimmed(), wav);
        SF_INFO info{};
        SNDFILE *sound = sf_open(QFile::encodeName(wav).constData(), SFM_READ, &info);
        QVERIFY(sound && info.channels == 2 && info.frames > 44100 * 5);
        std::vector<short> samples(std::size_t(info.frames) * 2);
        QCOMPARE(sf_readf_short(sound, samples.data(), info.frames), info.frames);
        sf_close(sound);
        double sum = 0;
        for (short s : samples)
            sum += double(s) * s;
        QVERIFY(std::sqrt(sum / double(samples.size())) / 32768.0 > 0.01);
    }
};

TUNEDECK_WINDOW_TEST_MAIN(PortsWindowTest)
#include "portswindowtest.moc"
