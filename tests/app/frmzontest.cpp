// The windows: start-up state and version check, the key display, the chord-name window,
// the test switch, About and Read Me, the analysis exported as RomanText.
#include "frmzontestsupport.h"

class FrmZonTest : public QObject {
    Q_OBJECT

private slots:
    void startUpState_data();
    void startUpState();
    void startUpLists();
    void versionCheckFails_data();
    void versionCheckFails();
    void keyDisplay_data();
    void keyDisplay();
    void chordWindow_data();
    void chordWindow();
    void testSwitch();
    void aboutAndReadMe();
    void exportRomanText();

private:
    QTemporaryDir files_;
};

void FrmZonTest::startUpState_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("enabled");

    const struct {
        const char *name, *text;
        bool shown, enabled;
    } rows[] = {
        {"CmdBrow", "Browse", true, true},
        {"LblInputFile", "Input Midi File", true, true},
        {"Label1", "Select Track", true, true},
        {"ChkAll", "All", true, true},
        {"Label4", "Meter Timing", true, true},
        {"CmdPlay", "1- Real Time Play", true, true},
        {"CmdFastDetect", "2- Fast Detect", true, true},
        {"CmdStop", "Stop", true, true},
        {"OptLessSen", "Normal", true, true},
        {"OptMoreSen", "More sensitive", true, true},
        {"LblKType", "Key", true, true},
        {"LblKeyStr", "-", true, true},
        {"LblSignat", "-", true, true},
        {"LblKeyTiming", "Timing", true, true},
        {"Label6", "The input probably has :", true, true},
        {"OptNKey", "I don't known", true, true},
        {"Opt1Key", "1 key", true, true},
        {"Opt2Key", "2 keys", true, true},
        {"Opt3Key", "3 keys", true, true},
        {"Opt4Key", "4 keys", true, true},
        {"LblMess", "Events", true, true},
        {"LblError", "Error", true, true},
        {"LblcTime", "00:00", true, true},
        {"LblHaStr", "-", true, true},
        {"LblDllVer", "Tonalyte - V126", true, true},
        {"Label2", "Static", true, true},
        {"LblKqKey", "Code", false, true},
        {"LblInpTCnt", "0", false, true},
        {"LblTapCnt", "0", false, true},
        {"LblKeyType", "0", false, true},
        {"LblHaCode", "00000", false, true},
        {"LblTpNotDen", "0", false, true},
        {"FraInput", " A- Input :", true, true},
        {"FraMode", " B- Processing mode :  (click a button to start)", true, true},
        {"FraOutput", " C- Output key info :", true, true},
        {"FraInfo", " D- Processing info :", true, true},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromUtf8(row.text) << row.shown
                                << row.enabled;
}

void FrmZonTest::startUpState()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, shown);
    QFETCH(bool, enabled);

    auto program = startedProgram();
    QVERIFY(program);
    QWidget *control = program->child(qPrintable(name));
    QVERIFY(control);
    QCOMPARE(controlText(control), text);
    QCOMPARE(control->isVisible(), shown);
    QCOMPARE(control->isEnabled(), enabled);
}

void FrmZonTest::startUpLists()
{
    auto program = startedProgram();
    QVERIFY(program);
    FrmZon &w = program->window;
    QCOMPARE(w.objectName(), QStringLiteral("FrmZon"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Tunedeck"));

    auto *tracks = program->child<QComboBox>("CmbTrks");
    QCOMPARE(tracks->count(), 12);
    QCOMPARE(tracks->itemText(0), QStringLiteral("Track 01"));
    QCOMPARE(tracks->itemText(11), QStringLiteral("Track 12"));
    QCOMPARE(tracks->currentIndex(), 0);
    QVERIFY(tracks->isEditable());
    QVERIFY(!tracks->isEnabled());
    QVERIFY(program->child<QCheckBox>("ChkAll")->isChecked());

    auto *meter = program->child<QComboBox>("CmbTimeSign");
    QCOMPARE(meter->count(), 4);
    QCOMPARE(meter->itemText(3), QStringLiteral("6/8"));
    QCOMPARE(meter->currentText(), QStringLiteral("4/4"));
    for (const char *name : {"CmbKeyList", "CmbKeyPoint"}) {
        QCOMPARE(program->child<QComboBox>(name)->count(), 0);
        QVERIFY(program->child<QComboBox>(name)->isEnabled());
    }

    // Two exclusive groups, independent of each other.
    QVERIFY(program->child<QRadioButton>("OptLessSen")->isChecked());
    QVERIFY(program->child<QRadioButton>("Opt2Key")->isChecked());
    QTest::mouseClick(program->child<QRadioButton>("Opt4Key"), Qt::LeftButton);
    QVERIFY(!program->child<QRadioButton>("Opt2Key")->isChecked());
    QVERIFY(program->child<QRadioButton>("OptLessSen")->isChecked());
    QCOMPARE(w.runChoices().fast.keys, KeyCountChoice::Four);
    QTest::mouseClick(program->child<QRadioButton>("OptMoreSen"), Qt::LeftButton);
    QVERIFY(!program->child<QRadioButton>("OptLessSen")->isChecked());
    QVERIFY(w.runChoices().fast.moreSensitive);
    QVERIFY(program->child<QRadioButton>("Opt4Key")->isChecked());
    QCOMPARE(program->child<QWidget>("Picture1"), program->child<QWidget>("OptMoreSen")->parentWidget());
    QCOMPARE(program->child<QWidget>("Picture2"), program->child<QWidget>("Opt4Key")->parentWidget());

    auto *timer1 = w.findChild<RunTimer *>(QStringLiteral("Timer1"));
    auto *clock = w.findChild<RunTimer *>(QStringLiteral("TimerCTime"));
    QVERIFY(timer1 && clock);
    QCOMPARE(timer1->interval(), 1500);
    QCOMPARE(clock->interval(), 1000);
    QVERIFY(!timer1->isActive());
    QVERIFY(!clock->isActive());

    // The two items straight on the bar keep their places; the File menu follows them.
    const QList<QAction *> menu = w.menuBar()->actions();
    QCOMPARE(menu.size(), 3);
    QCOMPARE(menu.at(0)->text(), QStringLiteral("About"));
    QCOMPARE(menu.at(1)->text(), QStringLiteral("ReadMe"));
    QCOMPARE(menu.at(2)->menu(), w.fileMenu().menu);

    // The chord-name window is loaded, never shown; the others wait for the menu.
    QVERIFY(w.frmHaStr());
    QVERIFY(!w.frmHaStr()->isVisible());
    QVERIFY(!w.frmAbout());
    QVERIFY(!w.frmReadMe());
}

void FrmZonTest::versionCheckFails_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("version 125") << QStringLiteral(FAKE_TONALYTE_125);
    QTest::newRow("version 126 + 65536") << QStringLiteral(FAKE_TONALYTE_126_65536);
    QTest::newRow("no KeyGetDllVersion") << QStringLiteral(FAKE_TONALYTE_NOVERSION);
    QTest::newRow("no library") << QStringLiteral(MISSING_TONALYTE);
}

void FrmZonTest::versionCheckFails()
{
    QFETCH(QString, path);
    TestClock clock;
    TonalyteLibrary library(path);
    FrmZon window(library, nullptr, clock);

    // The message is modal: read it and close it from inside its own loop.
    QString shown;
    bool wasModal = false;
    QTimer closer;
    closer.setInterval(10);
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            wasModal = box->isModal();
            box->accept();
        }
    });
    closer.start();
    const bool started = window.Form_Initialize();
    closer.stop();

    QVERIFY(!started);
    QVERIFY(!window.isVisible());
    QVERIFY(wasModal);
    QCOMPARE(shown, versionMessage());
    QCOMPARE(versionMessage(),
             QStringLiteral("Sorry. This program needs Tonalyte.dll version 126 to run.\n"
                            "You can found Tonalyte.dll on our web site https://tunedeck.org \n"
                            "Welcome!"));
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("LblDllVer"))->text(), QStringLiteral("DLL version"));
}

void FrmZonTest::keyDisplay_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("kqKey");
    QTest::addColumn<QString>("keyText");
    QTest::addColumn<QString>("signature");
    QTest::addColumn<int>("accidental");

    QTest::newRow("C major") << 160 << "160" << "C Major" << "00" << 0;
    QTest::newRow("A minor") << 69 << "069" << "A Minor" << "00" << 0;
    QTest::newRow("C# minor") << 61 << "061" << "C# Db Minor" << "4#" << 1;
    QTest::newRow("Db major") << 161 << "161" << "C# Db Major" << "5b" << -1;
    QTest::newRow("F# major") << 166 << "166" << "F# Gb Major" << "6#" << 1;
    QTest::newRow("no key") << 0 << "*" << "" << "" << 0;
}

void FrmZonTest::keyDisplay()
{
    QFETCH(int, code);
    QFETCH(QString, kqKey);
    QFETCH(QString, keyText);
    QFETCH(QString, signature);
    QFETCH(int, accidental);

    auto program = startedProgram();
    QVERIFY(program);
    program->window.view().showKeyCode(code);
    QCOMPARE(program->text("LblKqKey"), kqKey);
    QCOMPARE(program->text("LblKeyStr"), keyText);
    QCOMPARE(program->text("LblSignat"), signature);
    QCOMPARE(int(program->window.view().keyAccidental()), accidental);
}

void FrmZonTest::chordWindow_data()
{
    QTest::addColumn<int>("haCode");
    QTest::addColumn<int>("accidental");
    QTest::addColumn<QString>("compact");
    QTest::addColumn<QString>("mainCaption");

    QTest::newRow("no chord") << 0 << 0 << "-" << " -";
    QTest::newRow("C# maj7 aug5") << 16182 << 0 << "C#M7+" << " C# Major7 Aug5";
    QTest::newRow("sus4 seventh") << 26070 << 0 << "C.s7." << " C.7 Sus4";
    QTest::newRow("flat key minor") << 6300 << -1 << "Ebm.." << " Ebm";
}

void FrmZonTest::chordWindow()
{
    QFETCH(int, haCode);
    QFETCH(int, accidental);
    QFETCH(QString, compact);
    QFETCH(QString, mainCaption);

    auto program = startedProgram();
    QVERIFY(program);
    FrmHaStr *chords = program->window.frmHaStr();
    chords->setKeyAccidental(qint16(accidental));
    chords->showHarmonyCode(haCode);

    QCOMPARE(chords->findChild<QLabel *>(QStringLiteral("LblHaStr"))->text(), compact);
    QCOMPARE(program->text("LblHaStr"), mainCaption);
    QVERIFY(!chords->isVisible());
}

void FrmZonTest::testSwitch()
{
    auto program = startedProgram();
    QVERIFY(program);
    const char *six[] = {"LblKqKey", "LblInpTCnt", "LblTapCnt", "LblKeyType", "LblHaCode", "LblTpNotDen"};
    auto *signature = program->child("LblSignat");
    TonalyteLibrary &library = program->library;
    const QString log = QDir(qEnvironmentVariable("TMPDIR")).filePath(QStringLiteral("KeyTest.txt"));
    QFile::remove(log);

    QTest::mouseDClick(signature, Qt::LeftButton);
    for (const char *name : six)
        QVERIFY2(program->child(name)->isVisible(), name);
    // Note 0 is refused, and with the switch on the reason goes to the test log.
    QCOMPARE(library.KeySetTrkEvsF(0, 144, 0, 100), -1);
    QFile written(log);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("EvCao <= 0"));
    written.close();
    QFile::remove(log);

    QTest::mouseDClick(signature, Qt::LeftButton);
    for (const char *name : six)
        QVERIFY2(!program->child(name)->isVisible(), name);
    QCOMPARE(library.KeySetTrkEvsF(0, 144, 0, 100), -1);
    QVERIFY(!QFile::exists(log));
}

void FrmZonTest::aboutAndReadMe()
{
    auto program = startedProgram();
    QVERIFY(program);
    FrmZon &w = program->window;
    QVERIFY(QTest::qWaitForWindowActive(&w));

    QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
    w.findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    FrmAbout *about = w.frmAbout();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(about->windowTitle(), QStringLiteral("About ..."));
    auto aboutText = [about](const char *name) { return about->findChild<QLabel *>(QLatin1String(name))->text(); };
    QCOMPARE(aboutText("Label1"), QStringLiteral("Tunedeck"));
    QCOMPARE(aboutText("LblVersion"), QStringLiteral("Version 9.8.7"));
    QVERIFY(aboutText("Label2").contains(QStringLiteral("05/2008")));
    // A web address only when the build was given one, and no e-mail.
    QVERIFY(aboutText("Label3").startsWith(QStringLiteral("Tunedeck project")));
    QCOMPARE(aboutText("Label3").contains(QStringLiteral("href")), !QStringLiteral(TUNEDECK_HOMEPAGE).isEmpty());
    QVERIFY(aboutText("Label4").contains(QStringLiteral("man tunedeck")) && !aboutText("Label4").contains(QChar('@')));
    QCOMPARE(aboutText("Label5"), QString());
    for (const char *part : {"Qt", "FluidSynth", "TimGM6mb", "MIDI file reader"})
        QVERIFY2(aboutText("Label6").contains(QLatin1String(part)), part);

    // Turning back to the main window hides it; the menu shows the same window again.
    QTRY_VERIFY(about->isActiveWindow());
    w.activateWindow();
    QTRY_VERIFY(!about->isVisible());
    w.findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    QCOMPARE(w.frmAbout(), about);
    QVERIFY(about->isVisible());

    w.findChild<QAction *>(QStringLiteral("mnuReadMe"))->trigger();
    FrmReadMe *readMe = w.frmReadMe();
    QVERIFY(readMe);
    QVERIFY(readMe->isVisible());
    QVERIFY(!readMe->isModal());
    QCOMPARE(readMe->windowTitle(), QStringLiteral("Read Me & License Agreemen"));
    QTRY_VERIFY(!about->isVisible());
    auto *text = readMe->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    QVERIFY(text->isReadOnly());
    const QString content = text->toPlainText();
    // The parts in their order: heading, purpose, track choice, drums, algorithm, contact, licence.
    qsizetype at = 0;
    for (const char *part : {"Read Me:", "real time", "\"All\"", "channel 10", "algorithm", "man tunedeck",
                             "==========", "reverse compile", "own tasks", "without warranty"}) {
        const qsizetype next = content.indexOf(QLatin1String(part), at);
        QVERIFY2(next >= at, part);
        at = next;
    }
    QVERIFY(!content.contains(QChar('@')));
    QTRY_VERIFY(readMe->isActiveWindow());
    w.activateWindow();
    QTRY_VERIFY(!readMe->isVisible());
}

void FrmZonTest::exportRomanText()
{
    auto program = startedProgram();
    QVERIFY(program);
    QAction *exportAction = program->window.findChild<QAction *>(QStringLiteral("mnuExportRomanText"));
    exportAction->trigger();
    QVERIFY(program->window.statusBar()->currentMessage().startsWith(QStringLiteral("No analysis yet")));

    const QString path = files_.filePath(QStringLiteral("g-cadences.mid"));
    QVERIFY(cadenceFile(67).save(path.toStdString()));
    program->window.selectMidiFile(path);
    QTest::mouseClick(program->child("CmdFastDetect"), Qt::LeftButton);
    QTimer answerer;
    answerer.setInterval(10);
    QString offered;
    connect(&answerer, &QTimer::timeout, this, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            offered = name->text();
            name->setText(files_.filePath(QStringLiteral("saved.rntxt")));
            static_cast<QDialog *>(dialog)->accept();
        }
    });
    answerer.start();
    exportAction->trigger();
    answerer.stop();
    QCOMPARE(offered, QStringLiteral("g-cadences.rntxt"));
    QFile saved(files_.filePath(QStringLiteral("saved.rntxt")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(saved.readAll());
    QVERIFY2(text.startsWith(QStringLiteral("Composer: \nTitle: g-cadences\nAnalyst: Tunedeck ")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral(" G: I")), qPrintable(text)); // in the bar the music starts
    QVERIFY(program->window.statusBar()->currentMessage().startsWith(QStringLiteral("Analysis saved to ")));
}

TUNEDECK_WINDOW_TEST_MAIN(FrmZonTest)

#include "frmzontest.moc"
