// The main window with files: the "All" box and the track list, Browse, opening files,
// fast detection, exporting audio, the output's notifications, and closing during a run.
#include "frmzontestsupport.h"

#include "qt/pianoroll/keybarchart.h"
#include "qt/pianoroll/pianorollwidget.h"
#include "qt/playback/synthesizer.h"
#include "qt/playback/wavrender.h"
#include "qt/windows/pianorollpanel.h"

#include <QProgressDialog>

#include "pastthebuffer.h"
#include "wavpeak.h"

namespace {

// Runs `answer` on the file dialog that clicking Browse opens.
void browseWith(Program &program, const std::function<void(QFileDialog *)> &answer)
{
    QTimer waiter;
    waiter.setInterval(10);
    QObject::connect(&waiter, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            waiter.stop();
            answer(dialog);
        }
    });
    waiter.start();
    QTest::mouseClick(program.child("CmdBrow"), Qt::LeftButton);
}

} // namespace

class FrmZonFilesTest : public QObject {
    Q_OBJECT

private slots:
    void allBoxGovernsTrackList();
    void browse();
    void openMidiFile_data();
    void openMidiFile();
    void playRepeatsReachesTheOpenFile();
    void fastDetectShowsResult();
    void fastDetectPastTheBuffer();
    void exportAudioAsksPastTheLimit_data();
    void exportAudioAsksPastTheLimit();
    void exportAudioSaysHowItWent_data();
    void exportAudioSaysHowItWent();
    void outputNotifications();
    void closeDuringFastDetect();
    void closeUnloadsWindows();

private:
    QTemporaryDir files_;
};

void FrmZonFilesTest::allBoxGovernsTrackList()
{
    auto program = startedProgram();
    QVERIFY(program);
    auto *all = program->child<QCheckBox>("ChkAll");
    auto *tracks = program->child<QComboBox>("CmbTrks");

    QTest::mouseClick(all, Qt::LeftButton);
    QVERIFY(!all->isChecked());
    QVERIFY(tracks->isEnabled());
    QVERIFY(!program->window.runChoices().fast.tracks.all);
    tracks->setCurrentIndex(4);
    QCOMPARE(program->window.runChoices().fast.tracks.position, 4);

    QTest::mouseClick(all, Qt::LeftButton);
    QVERIFY(!tracks->isEnabled());
    QCOMPARE(tracks->currentText(), QStringLiteral("Track 05"));
    QCOMPARE(program->window.runChoices().fast.tracks.position, 4);

    // Text typed into the edit field that names no track selects none.
    QTest::mouseClick(all, Qt::LeftButton);
    tracks->setEditText(QStringLiteral("Track 5"));
    QCOMPARE(program->window.runChoices().fast.tracks.position, -1);
}

void FrmZonFilesTest::browse()
{
    auto program = startedProgram();
    QVERIFY(program);
    const QString first = files_.filePath(QStringLiteral("First.MID"));
    const QString second = files_.filePath(QStringLiteral("second.midi"));
    for (const QString &path : {first, second})
        QVERIFY(cadenceFile(60, 1).save(path.toStdString()));

    // No file chosen yet: the dialog starts in the examples; a cancel changes nothing.
    QString folder;
    QStringList filters;
    browseWith(*program, [&](QFileDialog *dialog) {
        folder = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        dialog->reject();
    });
    QCOMPARE(folder, QDir(QStringLiteral(TUNEDECK_TEST_EXAMPLES)).absolutePath());
    QVERIFY(!filters.isEmpty());
    for (const char *pattern : {"*.mid", "*.MID", "*.midi", "*.MIDI"})
        QVERIFY2(filters.first().contains(QLatin1String(pattern)), pattern);
    QCOMPARE(program->text("LblInputFile"), QStringLiteral("Input Midi File"));
    QVERIFY(program->window.midiFilePath().isEmpty());

    // Later it starts where the last file was chosen.
    program->window.selectMidiFile(first);
    browseWith(*program, [&](QFileDialog *dialog) {
        folder = dialog->directory().absolutePath();
        // As a user types the name into the focused name field.
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QFileInfo(second).fileName());
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept, checked as a click on Open
    });
    QCOMPARE(folder, QDir(files_.path()).absolutePath());
    QCOMPARE(program->text("LblInputFile"), second);
    QCOMPARE(program->window.midiFilePath(), second);

    browseWith(*program, [](QFileDialog *dialog) { dialog->reject(); });
    QCOMPARE(program->window.midiFilePath(), second);
}

void FrmZonFilesTest::openMidiFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("mess");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("ticks");

    midiwriter::File good(1, 480);
    good.addTrack().tempo(500000);
    good.addTrack().note(0, 60, 90, 480);
    good.addTrack().note(1, 64, 90, 480);
    midiwriter::File format0(0, 480);
    format0.addTrack().note(0, 60, 90, 480);
    QByteArray notMidi = QByteArray::fromStdString(good.bytes());
    notMidi.replace(0, 4, "RIFF");

    QTest::newRow("format 1") << QByteArray::fromStdString(good.bytes()) << 1 << "Trks = 3" << "Error"
                              << " 480";
    QTest::newRow("format 0") << QByteArray::fromStdString(format0.bytes()) << 0 << "Events"
                              << "Format not supported" << "0";
    QTest::newRow("wrong header") << notMidi << 0 << "Events" << "Invalid File Header" << "0";
    QTest::newRow("no file") << QByteArray() << 0 << "Events" << "File Open Error" << "0";
    // A score is told by its content, whatever its name: two parts make three tracks.
    const QByteArray score = "<score-partwise><part-list><score-part id='A'/><score-part id='B'/></part-list>"
                             "<part id='A'><measure><note><pitch><step>C</step><octave>4</octave></pitch>"
                             "<duration>1</duration></note></measure></part><part id='B'><measure><note><pitch>"
                             "<step>E</step><octave>4</octave></pitch><duration>1</duration></note></measure></part>"
                             "</score-partwise>";
    QTest::newRow("score") << score << 1 << "Trks = 3" << "Error" << " 480";
    QTest::newRow("damaged score") << score.left(120) << 0
                                   << "Midifile1: it is not well-formed XML (Start-end tags mismatch at byte 119)"
                                   << "Midifile1_Error" << "0";
}

void FrmZonFilesTest::playRepeatsReachesTheOpenFile()
{
    auto program = startedProgram();
    QVERIFY(program);
    QAction *repeats = program->window.fileMenu().mnuPlayRepeats;
    QVERIFY(repeats->isCheckable());
    QVERIFY(!program->window.runner().file().scoreOptions().unfoldRepeats);
    repeats->setChecked(true);
    QVERIFY(program->window.runner().file().scoreOptions().unfoldRepeats);
    repeats->setChecked(false);
    QVERIFY(!program->window.runner().file().scoreOptions().unfoldRepeats);
}

void FrmZonFilesTest::openMidiFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    QFETCH(QString, mess);
    QFETCH(QString, error);
    QFETCH(QString, ticks);

    auto program = startedProgram();
    QVERIFY(program);
    const QString path = files_.filePath(QStringLiteral("open-%1.mid").arg(QTest::currentDataTag()));
    if (!bytes.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    program->window.selectMidiFile(path);
    QCOMPARE(program->text("LblInputFile"), path);
    QCOMPARE(int(program->window.runner().open(path)), result);
    QCOMPARE(program->text("LblMess"), mess);
    QCOMPARE(program->text("LblError"), error);
    QCOMPARE(program->text("LblTpNotDen"), ticks);
}

void FrmZonFilesTest::exportAudioAsksPastTheLimit_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("no: nothing more") << false;
    QTest::newRow("yes: where to") << true;
}

// A note 2^28 ticks late lasts 77.7 hours: the user is asked before anything else, and only
// a yes leads on to choosing the file.
void FrmZonFilesTest::exportAudioAsksPastTheLimit()
{
    QFETCH(bool, yes);
    auto program = startedProgram();
    QVERIFY(program);
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    f.addTrack().noteOn(0, 60, 100).wait(std::uint64_t(1) << 27).controlChange(0, 7, 90).wait(std::uint64_t(1) << 27).noteOff(0, 60);
    const QString path = files_.filePath(QStringLiteral("late.mid"));
    QVERIFY(f.save(path.toStdString()));
    program->window.selectMidiFile(path);

    QString question;
    bool fileDialog = false;
    QTimer answerer;
    answerer.setInterval(10);
    connect(&answerer, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            question = box->text();
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            fileDialog = true;
            dialog->reject();
        }
    });
    answerer.start();
    program->window.findChild<QAction *>(QStringLiteral("mnuExportAudio"))->trigger();
    QCOMPARE(question, QStringLiteral("The audio would last 77.7 hours, longer than the limit of 4.0 hours.\n"
                                      "Export it anyway?"));
    QCOMPARE(fileDialog, yes);
}

void FrmZonFilesTest::exportAudioSaysHowItWent_data()
{
    QTest::addColumn<QString>("wav");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("error");
    QTest::newRow("written") << "written.wav" << 0 << false << QString();
    QTest::newRow("cancelled") << "cancelled.wav" << 10 << true << "Rendering was cancelled";
    QTest::newRow("no such folder") << "none/x.wav" << 0 << false << "%1 could not be written";
}

// The render runs on while the window waits; its end is said in the status bar, and a
// failure, a cancel from the progress dialog too, in the error label. The dialog offers to
// normalise, checked at first (the file written peaks at -1 dBFS), and keeps the choice.
void FrmZonFilesTest::exportAudioSaysHowItWent()
{
    QFETCH(QString, wav);
    QFETCH(int, minutes);
    QFETCH(bool, cancel);
    QFETCH(QString, error);
    if (defaultSoundFont().isEmpty())
        QSKIP("no General MIDI soundfont installed (timgm6mb-soundfont)");
    auto program = startedProgram();
    QVERIFY(program);
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    f.addTrack().note(0, 60, 100, 480).wait(std::uint64_t(480) * 120 * minutes).note(0, 62, 100, 480);
    const QString path = files_.filePath(QStringLiteral("export-%1.mid").arg(QTest::currentDataTag()));
    QVERIFY(f.save(path.toStdString()));
    program->window.selectMidiFile(path);
    const QString target = files_.filePath(wav);
    program->child<QLabel>("LblError")->clear();

    QTimer answerer;
    answerer.setInterval(10);
    bool offered = false;
    connect(&answerer, &QTimer::timeout, this, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            auto *normalise = dialog->findChild<QCheckBox *>(QStringLiteral("NormaliseAudio"));
            offered = normalise && normalise->isChecked();
            if (normalise && cancel)
                normalise->setChecked(false);
            // As a user types the name into the focused name field.
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(wav);
            static_cast<QDialog *>(dialog)->accept();
        }
    });
    answerer.start();
    program->window.findChild<QAction *>(QStringLiteral("mnuExportAudio"))->trigger();
    answerer.stop();
    if (cancel)
        program->window.findChild<QProgressDialog *>(QStringLiteral("ExportProgress"))->findChild<QPushButton *>()->click();
    const QString said = error.isEmpty() ? QStringLiteral("Audio exported to ") + QDir::toNativeSeparators(target)
                                         : QStringLiteral("Export audio: ") + error.arg(target);
    QTRY_VERIFY_WITH_TIMEOUT(program->window.statusBar()->currentMessage().startsWith(said), 60000);
    QVERIFY(!program->window.findChild<QProgressDialog *>(QStringLiteral("ExportProgress")));
    QVERIFY(error.isEmpty() ? program->text("LblError").isEmpty() : program->text("LblError").startsWith(error.arg(target)));
    QCOMPARE(QFileInfo::exists(target), error.isEmpty());
    QVERIFY(offered);
    QCOMPARE(program->window.choices().normaliseAudio, std::optional<bool>(!cancel));
    if (error.isEmpty())
        QVERIFY2(std::abs(peakDbfs(target) - NormalisedPeakDbfs) < 0.01, qPrintable(QString::number(peakDbfs(target))));
}

void FrmZonFilesTest::fastDetectShowsResult()
{
    auto program = startedProgram();
    QVERIFY(program);
    const QString path = files_.filePath(QStringLiteral("g-major.mid"));
    QVERIFY(cadenceFile(67).save(path.toStdString()));
    program->window.selectMidiFile(path);

    QTest::mouseClick(program->child("CmdFastDetect"), Qt::LeftButton);
    QCOMPARE(program->text("LblKType"), QStringLiteral("Overall Key"));
    QCOMPARE(program->text("LblKeyStr"), QStringLiteral("G Major"));
    QCOMPARE(program->text("LblSignat"), QStringLiteral("1#"));
    QCOMPARE(program->text("LblKqKey"), QStringLiteral("167"));
    QCOMPARE(program->text("LblKeyTiming"), QStringLiteral("4/4 Meter Timing"));
    QVERIFY(program->child<QComboBox>("CmbKeyList")->currentText().endsWith(QStringLiteral("G Major")));
    QVERIFY(program->child<QComboBox>("CmbKeyPoint")->currentText().endsWith(QStringLiteral("G Major")));
    QVERIFY(program->child("CmdPlay")->isEnabled());
    QVERIFY(program->child("CmdFastDetect")->isEnabled());
    QCOMPARE(int(program->window.view().keyAccidental()), 1);
    // The profile analysis beside it, and both in the key map.
    QVERIFY(program->text("LblProfileKey").startsWith(QStringLiteral("Profile analysis: G major, ")));
    QCOMPARE(program->window.keyMap()->data().rows.size(), std::size_t(2));
    // The roll holds the file's notes over its keys, and the bars both analyses' keys.
    const PianoRollPanel &roll = *program->window.pianoRoll();
    QVERIFY(!roll.roll()->data().empty());
    QCOMPARE(rollKeyAt(roll.roll()->data(), roll.roll()->data().notes.front().startMs), 167);
    QCOMPARE(roll.tonalyteBars()->shares().front().keyCode, 167);
    QCOMPARE(roll.profileBars()->shares().front().keyCode, 167);

    // A file the run cannot analyse leaves nothing of this one on show.
    const QString refused = files_.filePath(QStringLiteral("refused.mid"));
    midiwriter::File formatTwo(2, 480);
    formatTwo.addTrack().tempo(500000);
    QVERIFY(formatTwo.save(refused.toStdString()));
    program->window.selectMidiFile(refused);
    QTest::mouseClick(program->child("CmdFastDetect"), Qt::LeftButton);
    QCOMPARE(program->text("LblError"), QStringLiteral("Format not supported"));
    QCOMPARE(program->text("LblProfileKey"), QStringLiteral("Profile analysis: -"));
    QVERIFY(program->window.keyMap()->data().rows.empty());
    QVERIFY(roll.roll()->data().empty());
    QVERIFY(roll.profileBars()->shares().empty());
    QVERIFY(program->window.statusBar()->currentMessage().contains(QStringLiteral("it is a format 2 file")));
}

// Past the event buffer Tonalyte names no key, but the profile line, the key map and the
// chord lane show the notes up to the limit.
void FrmZonFilesTest::fastDetectPastTheBuffer()
{
    auto program = startedProgram();
    const QString path = files_.filePath(QStringLiteral("long.mid"));
    QVERIFY(pastTheBuffer().save(path.toStdString()));
    program->window.selectMidiFile(path);
    QTest::mouseClick(program->child("CmdFastDetect"), Qt::LeftButton);
    QCOMPARE(program->text("LblError"), QStringLiteral("Out of buffer"));
    QCOMPARE(program->text("LblKeyStr"), QString());
    QVERIFY(program->text("LblProfileKey").startsWith(QStringLiteral("Profile analysis: C major, ")));
    const std::int64_t bars = program->window.keyMap()->data().bars;
    QCOMPARE(bars, std::int64_t(2000));
    const PianoRollData &roll = program->window.pianoRoll()->roll()->data();
    QVERIFY(!roll.chords.empty());
    QCOMPARE(rollKeyAt(roll, roll.notes.front().startMs), 160);
}

void FrmZonFilesTest::outputNotifications()
{
    TestClock clock;
    TonalyteLibrary library;
    PlayListOutput output(SoundOptions{true, {}}, clock);
    FrmZon w(library, &output, clock);
    QVERIFY(w.Form_Initialize());
    auto label = [&w](const char *name) { return w.findChild<QLabel *>(QLatin1String(name)); };

    // The played events of a composed play list: tag 1 is its first note, 2 its end.
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    f.addTrack().note(0, 60, 100, 480);
    const QString path = files_.filePath(QStringLiteral("one-note.mid"));
    QVERIFY(f.save(path.toStdString()));
    w.selectMidiFile(path);
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("CmdPlay")), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("CmdStop")), Qt::LeftButton);
    emit output.playedEvent(1);
    QCOMPARE(label("LblMess")->text(), QStringLiteral("Note 060 On 100"));
    emit output.playedEvent(2);
    QCOMPARE(label("LblMess")->text(), QStringLiteral("Note 060 Off"));

    emit output.error(QStringLiteral("device went away"));
    QCOMPARE(label("LblError")->text(), QStringLiteral("MIDIOutput1_Error"));
    QVERIFY(w.statusBar()->currentMessage().contains(QStringLiteral("device went away")));

    emit output.endOfData();
    QCOMPARE(label("LblError")->text(), QStringLiteral("End Of Data"));
    QVERIFY(w.findChild<RunTimer *>(QStringLiteral("Timer1"))->isActive());

    // Said once, whether or not the reason already leads with it.
    emit output.soundUnavailable(QStringLiteral("Sound is off: no audio output"));
    QCOMPARE(label("soundOffLabel")->text(), QStringLiteral("Sound is off: no audio output"));
    emit output.soundUnavailable(QStringLiteral("no soundfont found"));
    QCOMPARE(label("soundOffLabel")->text(), QStringLiteral("Sound is off: no soundfont found"));
    QVERIFY(!label("soundOffLabel")->isHidden());
}

void FrmZonFilesTest::closeDuringFastDetect()
{
    auto program = startedProgram();
    QVERIFY(program);
    FrmZon &w = program->window;
    const QString path = files_.filePath(QStringLiteral("long.mid"));
    QVERIFY(cadenceFile(60, 50).save(path.toStdString()));
    w.selectMidiFile(path);

    // The close arrives while the feed lets events through: the run ends first, then the window.
    QTimer::singleShot(0, &w, &QWidget::close);
    QTest::mouseClick(program->child("CmdFastDetect"), Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(program->text("LblMess"), QStringLiteral("Canceled"));
    QCOMPARE(w.runner().state(), RunState::Idle);
    QVERIFY(!w.frmHaStr());
}

void FrmZonFilesTest::closeUnloadsWindows()
{
    auto program = startedProgram();
    QVERIFY(program);
    FrmZon &w = program->window;
    w.showAbout();
    w.showReadMe();
    QVERIFY(w.frmAbout() && w.frmReadMe() && w.frmHaStr());
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(!w.frmAbout());
    QVERIFY(!w.frmReadMe());
    QVERIFY(!w.frmHaStr());
}


TUNEDECK_WINDOW_TEST_MAIN(FrmZonFilesTest)

#include "frmzonfilestest.moc"
