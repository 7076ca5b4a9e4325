// The window's mix: transposition and muted channels reach what is heard and what both
// analyses read alike, the key names chosen reach the key map, the bars and the profile line
// but not the window's own labels, and the mix is remembered.
#include "frmzontestsupport.h"

#include <QComboBox>
#include <QDockWidget>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>

#include "core/playback/playlist.h"
#include "qt/keymap/keymaptext.h"
#include "qt/keymap/keymapwidget.h"
#include "qt/pianoroll/keybarchart.h"
#include "qt/windows/mixpanel.h"
#include "qt/pianoroll/pianorollwidget.h"
#include "qt/windows/pianorollpanel.h"

namespace {

void addCadence(midiwriter::Track &track, int channel, int tonic)
{
    const int chords[4][3] = {{0, 4, 7}, {5, 9, 12}, {7, 11, 14}, {0, 4, 7}};
    for (int r = 0; r < 4; ++r)
        for (const auto &chord : chords) {
            for (int step : chord)
                track.noteOn(channel, tonic + step, 90);
            track.wait(480);
            for (int step : chord)
                track.noteOff(channel, tonic + step);
        }
}

// The C major cadence on channel 1 as a violin, and the same cadence in F# major on
// channel 2, which sets no program; channel 4 sets one and plays nothing.
midiwriter::File twoKeys()
{
    midiwriter::File file(1, 480);
    file.addTrack().tempo(500000);
    midiwriter::Track &violin = file.addTrack();
    violin.programChange(0, 40);
    addCadence(violin, 0, 60);
    midiwriter::Track &other = file.addTrack();
    other.programChange(3, 0);
    addCadence(other, 1, 66);
    return file;
}

void check(QTableWidget *table, int row, int column, bool on)
{
    table->item(row, column)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

QDockWidget *mixDock(QMainWindow &window)
{
    return window.findChild<QDockWidget *>(QStringLiteral("MixDock"));
}

} // namespace

class FrmZonMixTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void transposeMovesTheFastRunsKey()
    {
        auto p = startedProgram();
        QVERIFY(p);
        p->window.selectMidiFile(savedMidi(dir, cadenceFile(60), "c.mid"));
        const std::pair<int, const char *> cases[] = {{0, "C Major"}, {2, "D Major"}, {-5, "G Major"}};
        for (const auto &[semitones, key] : cases) {
            p->window.mix()->transposeBox()->setValue(semitones);
            p->child<QPushButton>("CmdFastDetect")->click();
            QCOMPARE(p->text("LblKeyStr"), QLatin1String(key));
        }
        // The V chord's top note, 124, goes past 127 in each of the four rounds.
        p->window.selectMidiFile(savedMidi(dir, cadenceFile(110), "high.mid"));
        p->window.mix()->transposeBox()->setValue(5);
        p->child<QPushButton>("CmdFastDetect")->click();
        QCOMPARE(p->window.statusBar()->currentMessage(),
                 QStringLiteral("Transpose: 4 notes moved outside 1 to 127 are left out"));
    }

    // A note 0, which the library refuses, no longer costs the file its key: the fast run and
    // a play leave it out, and the status bar says how many, beside what a transposition left
    // out. A drum's note 0 stays 0 whatever the transposition, and its track alone is analysed.
    void noteZeroIsLeftOutAndSaid()
    {
        auto p = startedProgram();
        QVERIFY(p);
        midiwriter::File pitched = cadenceFile(60);
        pitched.chunk(1).note(0, 0, 80, 480);
        midiwriter::File drum = cadenceFile(60);
        drum.chunk(1).note(9, 0, 80, 480).note(0, 125, 80, 480);
        const QString noteZero = QStringLiteral("Note 0: 1 note is left out, as Tonalyte takes notes 1 to 127");
        const QString both = QStringLiteral("Transpose: 1 note moved outside 1 to 127 is left out; ") + noteZero;
        const struct {
            const midiwriter::File &file;
            bool allTracks;
            int transpose;
            const char *key;
            QString status;
        } cases[] = {{pitched, true, 0, "C Major", noteZero}, {drum, false, 5, "F Major", both}};
        for (const auto &c : cases) {
            p->window.selectMidiFile(savedMidi(dir, c.file, "zero.mid"));
            p->child<QCheckBox>("ChkAll")->setChecked(c.allTracks);
            p->window.mix()->transposeBox()->setValue(c.transpose);
            p->window.statusBar()->clearMessage();
            p->child<QPushButton>("CmdFastDetect")->click();
            QCOMPARE(p->text("LblError"), QString());
            QCOMPARE(p->text("LblKType"), QStringLiteral("Overall Key"));
            QCOMPARE(p->text("LblKeyStr"), QLatin1String(c.key));
            QCOMPARE(p->window.statusBar()->currentMessage(), c.status);
            p->window.statusBar()->clearMessage();
            p->child<QPushButton>("CmdPlay")->click();
            QCOMPARE(p->window.statusBar()->currentMessage(), c.status);
            p->child<QPushButton>("CmdStop")->click();
        }
    }

    // Channel 2 muted, or channel 1 soloed: its notes are neither in what the play sends nor
    // in what the fast run analysed, and the key is channel 1's alone. The processing info
    // and the status bar say so, and the roll shows those notes faded.
    void mutedChannelIsNeitherHeardNorAnalysed()
    {
        auto p = startedProgram();
        QVERIFY(p);
        p->window.selectMidiFile(savedMidi(dir, twoKeys(), "two.mid"));
        QTableWidget *table = p->window.mix()->channelTable();
        QCOMPARE(table->item(0, MixPanel::InstrumentColumn)->text(), QStringLiteral("Violin"));
        QCOMPARE(table->item(1, MixPanel::InstrumentColumn)->text(), QStringLiteral("Acoustic Grand Piano"));
        QVERIFY(table->isRowHidden(3)); // a program change but no notes
        QVERIFY(!table->isRowHidden(1));

        std::vector<NoteEvent> analysed;
        QObject::connect(&p->window.runner(), &Runner::fastFinished, &p->window,
                         [&](const FileAnalysis &a) { analysed = a.run.events; });
        const auto *mixStatus = p->window.statusBar()->findChild<QLabel *>(QStringLiteral("MixStatus"));
        const auto mutedNotes = [&](int channel) {
            const std::vector<RollNote> &notes = p->window.pianoRoll()->roll()->data().notes;
            return std::count_if(notes.begin(), notes.end(),
                                 [channel](const RollNote &n) { return n.muted && n.channel == channel; });
        };
        const std::tuple<int, int, const char *> choices[] = {
            {MixPanel::MuteColumn, 1, "Muted: channel 2 (not heard or analysed)"},
            {MixPanel::SoloColumn, 0, "Solo: channel 1 (the others are not heard or analysed)"}};
        for (const auto &[column, row, note] : choices) {
            p->window.mix()->setMuteSolo(0, 0);
            check(table, row, column, true);
            p->child<QPushButton>("CmdFastDetect")->click();
            QCOMPARE(p->text("LblKeyStr"), QStringLiteral("C Major"));
            QCOMPARE(p->text("LblMix"), QLatin1String(note));
            QCOMPARE(mixStatus->text(), QLatin1String(note));
            QVERIFY(mixStatus->isVisible());
            QCOMPARE(mutedNotes(1), 4 * 4 * 3);
            QCOMPARE(mutedNotes(0), 0);
            QCOMPARE(analysed.size(), std::size_t(4 * 4 * 3 * 2));
            QVERIFY(std::all_of(analysed.begin(), analysed.end(), [](const NoteEvent &e) { return e.channel == 0; }));

            const AnalysisChoices c = p->window.runChoices();
            const OpenFile &file = p->window.runner().file();
            const PlayList list = buildPlayList(file.midi(), *file.tracks(c.fast.tracks), true, file.msPerTick(), c.fast.adjust,
                                                c.fast.channels);
            int notes = 0;
            for (const TimedEvent &e : channelMessagesInPlayOrder(list.events))
                if ((e.status & 0xE0) == 0x80) {
                    QCOMPARE(e.status & 0x0F, 0);
                    ++notes;
                }
            QCOMPARE(notes, 4 * 4 * 3 * 2);
            QCOMPARE(list.notes.size(), std::size_t(notes));
        }
        // Nothing muted, or a solo kept on a channel this file does not play: both keys are
        // heard again.
        p->window.mix()->setMuteSolo(0, 1u << 4);
        p->child<QPushButton>("CmdFastDetect")->click();
        QCOMPARE(analysed.size(), std::size_t(2 * 4 * 4 * 3 * 2));
        QCOMPARE(p->text("LblMix"), QString());
        QVERIFY(!mixStatus->isVisible());
        QCOMPARE(mutedNotes(1), 0);
    }

    // The volume shows its percentage; tempo and transposition each go back to their default
    // with a button, which is off while they are there.
    void volumeShowsAndAdjustResets()
    {
        MixPanel mix;
        mix.volumeSlider()->setValue(35);
        QCOMPARE(mix.volumeValue()->text(), QStringLiteral("35 %"));
        mix.setAdjust({-3, 150});
        for (const char *name : {"MixTempoReset", "MixTransposeReset"}) {
            auto *reset = mix.findChild<QToolButton *>(QLatin1String(name));
            QVERIFY(reset->isEnabled());
            reset->click();
            QVERIFY(!reset->isEnabled());
        }
        QCOMPARE(mix.adjust(), PlayAdjust{});
    }

    void keysAreSpeltInTheChosenNotation()
    {
        auto p = startedProgram();
        QVERIFY(p);
        p->window.selectMidiFile(savedMidi(dir, cadenceFile(60), "c.mid"));
        p->child<QPushButton>("CmdFastDetect")->click();
        const auto own = [&] { // the key, the signature and the key list
            QStringList texts{p->text("LblKeyStr"), p->text("LblSignat")};
            for (int i = 0; i < p->child<QComboBox>("CmbKeyList")->count(); ++i)
                texts << p->child<QComboBox>("CmbKeyList")->itemText(i);
            return texts;
        };
        const QStringList standard = own();
        // Notation, a stretch's label, the tooltip's key, the first bar's label, the line's key.
        const std::tuple<Notation, const char *, const char *, const char *, const char *> cases[] = {
            {Notation::German, "C-Dur", "C-Dur", "C-Dur", "C-Dur"}, {Notation::Camelot, "8B", "8B", "8B", "8B"},
            {Notation::OpenKey, "1d", "1d", "1d", "1d"}, {Notation::Standard, "C", "C Major", "C major", "C major"}};
        for (const auto &[notation, stretch, hover, bar, line] : cases) {
            p->window.mix()->notationBox()->setCurrentIndex(int(notation));
            const KeyMapData &map = p->window.keyMap()->data();
            QCOMPARE(keyMapLabel(map.rows.at(0).segments.at(0), map.notation), QLatin1String(stretch));
            QVERIFY(hoverText(map, 1).startsWith(QStringLiteral("Bar 1: %1 (").arg(QLatin1String(hover))));
            const KeyBarChart *bars = p->window.pianoRoll()->tonalyteBars();
            QCOMPARE(shareLabel(bars->shares().at(0), bars->notation()), std::string(bar));
            QVERIFY(p->text("LblProfileKey").startsWith(QStringLiteral("Profile analysis: %1, ").arg(QLatin1String(line))));
            QCOMPARE(own(), standard);
        }
    }

    void mixIsRemembered()
    {
        QSettings settings(dir.filePath(QStringLiteral("mix.conf")), QSettings::IniFormat);
        {
            auto p = startedProgram();
            QVERIFY(p);
            MixPanel *mix = p->window.mix();
            mix->setAdjust({-3, 150});
            mix->setVolume(40);
            mix->setMuteSolo(0x0002, 0x0005);
            mix->setNotation(Notation::German);
            p->window.addDockWidget(Qt::LeftDockWidgetArea, mixDock(p->window));
            WindowChoices off;
            off.normaliseAudio = false; // as the audio export's dialog leaves it
            p->window.applyChoices(off);
            writeWindowChoices(settings, p->window.choices());
        }
        auto p = startedProgram();
        QVERIFY(p);
        p->window.applyChoices(readWindowChoices(settings));
        const AnalysisChoices c = p->window.runChoices();
        QCOMPARE(c.fast.adjust, (PlayAdjust{-3, 150}));
        QCOMPARE(c.fast.channels, mixMask(0x0002, 0x0005));
        QCOMPARE(p->window.mix()->volumeSlider()->value(), 40);
        QCOMPARE(p->window.mix()->channelTable()->item(2, MixPanel::SoloColumn)->checkState(), Qt::Checked);
        QCOMPARE(p->window.view().notation(), Notation::German);
        QCOMPARE(p->window.dockWidgetArea(mixDock(p->window)), Qt::LeftDockWidgetArea);
        QCOMPARE(p->window.choices().normaliseAudio, std::optional<bool>(false));

        // Values out of range are not restored.
        settings.setValue(QStringLiteral("mix/tempo"), 300);
        QVERIFY(!readWindowChoices(settings).tempoPercent);
    }
};

TUNEDECK_WINDOW_TEST_MAIN(FrmZonMixTest)

#include "frmzonmixtest.moc"
