// The window as a desktop program: remembered choices, the recent files, dropped files, the
// format 0 option, the keyboard shortcuts, and its layout as it starts on a large screen and
// on one of 1024 x 600.
#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>

#include "midiwriter.h"
#include "testclock.h"
#include "qt/binding/tonalytelibrary.h"
#include "qt/keymap/keymaplayout.h"
#include "core/keymap/keymaprows.h"
#include "qt/keymap/keymapwidget.h"
#include "qt/pianoroll/pianorollwidget.h"
#include "qt/windows/elidingcombobox.h"
#include "qt/windows/frmzon.h"
#include "qt/windows/pianorollpanel.h"
#include "qt/windows/portchoices.h"
#include "qt/windows/settings.h"
#include "windowtestmain.h"

#include <memory>

using namespace tunedeck;

namespace {

struct Program {
    TestClock clock;
    TonalyteLibrary library;
    FrmZon window{library, nullptr, clock};

    template <typename W = QLabel>
    W *child(const char *name)
    {
        for (W *found : window.findChildren<W *>(QLatin1String(name)))
            if (found->window() == &window)
                return found;
        return nullptr;
    }
};

std::unique_ptr<Program> started()
{
    auto p = std::make_unique<Program>();
    if (!p->window.Form_Initialize(false))
        return nullptr;
    p->window.show();
    return p;
}

// I-IV-V-I in G major, four times; format 0 puts it in the only track, on channel 2.
midiwriter::File cadence(int format)
{
    midiwriter::File f(format, 480);
    if (format == 1)
        f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    for (int r = 0; r < 4; ++r)
        for (const auto &chord : {std::array{67, 71, 74}, std::array{72, 76, 79}, std::array{74, 78, 81},
                                  std::array{67, 71, 74}}) {
            for (int n : chord)
                t.noteOn(2, n, 90);
            t.wait(480);
            for (int n : chord)
                t.noteOff(2, n);
        }
    return f;
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString save(const QString &name, int format = 1)
    {
        const QString path = dir.filePath(name);
        cadence(format).save(path.toStdString());
        return path;
    }

private slots:
    void choicesSurviveANewWindow()
    {
        QSettings settings(dir.filePath(QStringLiteral("round.conf")), QSettings::IniFormat);
        const QString song = save(QStringLiteral("song.mid"));
        {
            auto p = started();
            QVERIFY(p);
            p->child<QCheckBox>("ChkAll")->setChecked(false);
            p->child<QComboBox>("CmbTrks")->setCurrentIndex(4);
            p->child<QRadioButton>("OptMoreSen")->setChecked(true);
            p->child<QComboBox>("CmbTimeSign")->setCurrentIndex(3);
            p->child<QRadioButton>("OptNKey")->setChecked(true);
            p->window.fileMenu().mnuReadFormat0->setChecked(true);
            p->child<QCheckBox>("ChkRoman")->setChecked(true);
            p->window.selectMidiFile(song);
            p->window.resize(900, 960); // above the window's least height
            writeWindowChoices(settings, p->window.choices());
        }
        auto p = started();
        QVERIFY(p);
        // Nothing stored yet for this window: the defaults stay.
        p->window.applyChoices(WindowChoices{});
        QVERIFY(p->child<QCheckBox>("ChkAll")->isChecked());
        QCOMPARE(p->window.runChoices().fast.keys, KeyCountChoice::Two);

        p->window.applyChoices(readWindowChoices(settings));
        QVERIFY(!p->window.runChoices().fast.tracks.all);
        QVERIFY(p->child<QComboBox>("CmbTrks")->isEnabled());
        QCOMPARE(p->window.runChoices().fast.tracks.position, 4);
        QVERIFY(p->window.runChoices().fast.moreSensitive);
        QCOMPARE(p->child<QComboBox>("CmbTimeSign")->currentText(), QStringLiteral("6/8"));
        QCOMPARE(p->window.runChoices().fast.keys, KeyCountChoice::NotKnown);
        QVERIFY(p->window.fileMenu().mnuReadFormat0->isChecked());
        QCOMPARE(p->window.pianoRoll()->roll()->chordNames(), ChordNames::WithNumerals);
        QCOMPARE(p->window.recentFiles().paths(), QStringList{song});
        QCOMPARE(p->window.size(), QSize(900, 960));
        QCOMPARE(p->window.choices().lastFolder, QDir(dir.path()).absolutePath());

        forgetChoices(settings);
        auto fresh = started();
        fresh->window.applyChoices(readWindowChoices(settings));
        QVERIFY(fresh->window.runChoices().fast.tracks.all);
        QVERIFY(!fresh->window.runChoices().fast.moreSensitive);
        QCOMPARE(fresh->child<QComboBox>("CmbTimeSign")->currentText(), QStringLiteral("4/4"));
        QVERIFY(fresh->window.recentFiles().paths().isEmpty());
        QVERIFY(!fresh->child<QCheckBox>("ChkRoman")->isChecked());
    }

    void playRepeatsSurvivesANewWindow_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }

    void playRepeatsSurvivesANewWindow()
    {
        QFETCH(bool, on);
        QSettings settings(dir.filePath(QStringLiteral("repeats.conf")), QSettings::IniFormat);
        settings.clear();
        {
            auto p = started();
            QVERIFY(p);
            p->window.fileMenu().mnuPlayRepeats->setChecked(on);
            writeWindowChoices(settings, p->window.choices());
        }
        auto p = started();
        QVERIFY(p);
        p->window.fileMenu().mnuPlayRepeats->setChecked(!on);
        p->window.applyChoices(readWindowChoices(settings));
        QCOMPARE(p->window.fileMenu().mnuPlayRepeats->isChecked(), on);
        QCOMPARE(p->window.runChoices().unfoldRepeats, on);
    }

    void recentFiles()
    {
        auto p = started();
        QVERIFY(p);
        QStringList files;
        for (int i = 0; i < 12; ++i)
            files << save(QStringLiteral("r%1.mid").arg(i));
        for (const QString &f : files)
            p->window.selectMidiFile(f);
        p->window.selectMidiFile(files[5]); // moves to the front, not listed twice
        p->window.selectMidiFile(dir.filePath(QStringLiteral("never-there.mid")));
        const QStringList listed = p->window.recentFiles().paths();
        QCOMPARE(listed.size(), 10);
        QCOMPARE(listed.first(), files[5]);
        QCOMPARE(listed.mid(1, 3), (QStringList{files[11], files[10], files[9]}));
        QVERIFY(!listed.contains(files[1]));

        QFile::remove(files[10]);
        QMenu *menu = p->window.fileMenu().mnuRecent;
        emit menu->aboutToShow();
        const QList<QAction *> entries = menu->actions();
        QCOMPARE(entries[2]->isEnabled(), false); // files[10]
        QCOMPARE(entries[1]->isEnabled(), true);
        entries[1]->trigger();
        QCOMPARE(p->window.midiFilePath(), files[11]);

        menu->findChild<QAction *>(QStringLiteral("mnuRemoveMissing"))->trigger();
        QCOMPARE(p->window.recentFiles().paths().size(), 9);
        QVERIFY(!p->window.recentFiles().paths().contains(files[10]));
        menu->findChild<QAction *>(QStringLiteral("mnuClearRecent"))->trigger();
        QVERIFY(p->window.recentFiles().paths().isEmpty());
        QVERIFY(!menu->findChild<QAction *>(QStringLiteral("mnuClearRecent"))->isEnabled());
    }

    void droppedFileIsSelected_data()
    {
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<QString>("selected"); // empty: the drop is refused
        const QString a = save(QStringLiteral("a.mid")), b = save(QStringLiteral("b.mid"));
        const auto url = [](const QString &f) { return QUrl::fromLocalFile(f).toString(); };
        QTest::newRow("one file") << QStringList{url(a)} << a;
        QTest::newRow("several: the first") << QStringList{url(b), url(a)} << b;
        QTest::newRow("a folder first") << QStringList{url(dir.path()), url(a)} << a;
        QTest::newRow("a web address") << QStringList{QStringLiteral("https://example.org/x.mid")} << QString();
    }

    void droppedFileIsSelected()
    {
        QFETCH(QStringList, urls);
        QFETCH(QString, selected);
        auto p = started();
        QVERIFY(p);
        QMimeData data;
        QList<QUrl> list;
        for (const QString &u : urls)
            list << QUrl(u);
        data.setUrls(list);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(&p->window, &enter);
        QCOMPARE(enter.isAccepted(), !selected.isEmpty());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&p->window, &drop);
        QCOMPARE(p->window.midiFilePath(), selected);
    }

    void format0NeedsTheOption()
    {
        auto p = started();
        QVERIFY(p);
        const QString path = save(QStringLiteral("zero.mid"), 0);
        p->window.selectMidiFile(path);
        p->child<QPushButton>("CmdFastDetect")->click();
        QCOMPARE(p->child("LblError")->text(), QStringLiteral("Format not supported"));
        QVERIFY(p->window.statusBar()->currentMessage().contains(QStringLiteral("File > Read format 0 files")));

        p->window.fileMenu().mnuReadFormat0->setChecked(true);
        p->child<QPushButton>("CmdFastDetect")->click();
        QCOMPARE(p->child("LblKeyStr")->text(), QStringLiteral("G Major"));
        // "Track 01" is the lowest channel used.
        p->child<QCheckBox>("ChkAll")->setChecked(false);
        p->child<QPushButton>("CmdFastDetect")->click();
        QCOMPARE(p->child("LblKeyStr")->text(), QStringLiteral("G Major"));

        p->window.selectMidiFile(dir.filePath(QStringLiteral("gone.mid")));
        p->child<QPushButton>("CmdFastDetect")->click();
        QCOMPARE(p->child("LblError")->text(), QStringLiteral("File Open Error"));
        QVERIFY(p->window.statusBar()->currentMessage().endsWith(QStringLiteral("gone.mid: No such file or directory")));
    }

    void shortcuts()
    {
        auto p = started();
        QVERIFY(p);
        QVERIFY(QTest::qWaitForWindowActive(&p->window));
        p->window.selectMidiFile(save(QStringLiteral("keys.mid")));
        // Typed where the user types: into the focused control.
        const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
        auto *all = p->child<QCheckBox>("ChkAll");
        all->setFocus();
        press(Qt::Key_Space); // a focused check box keeps Space
        QVERIFY(!all->isChecked());
        all->setChecked(true);
        p->child<QPushButton>("CmdBrow")->setFocus();
        press(Qt::Key_F5);
        QCOMPARE(p->child("LblKType")->text(), QStringLiteral("Overall Key"));
        press(Qt::Key_Space); // idle: plays (nothing sounds without an output)
        QCOMPARE(p->child("LblKType")->text(), QStringLiteral("Current Key"));
        press(Qt::Key_Escape);
        QCOMPARE(p->child("LblMess")->text(), QStringLiteral("Stoped"));
        // A click on a view option under the roll leaves Space to the play.
        auto *roman = p->child<QCheckBox>("ChkRoman");
        QVERIFY(roman->isVisible());
        QTest::mouseClick(roman, Qt::LeftButton, {}, QPoint(4, roman->height() / 2));
        QVERIFY(roman->isChecked());
        press(Qt::Key_Space);
        QCOMPARE(p->child("LblKType")->text(), QStringLiteral("Current Key"));
        QVERIFY(roman->isChecked());
        press(Qt::Key_Escape);
    }

    // A refused file says why at once and stays out of the recent files, and the track
    // count shown is never another file's; Escape with nothing running changes nothing;
    // the wheel turns a drop-down only once it has focus, else the page scrolls.
    void choosingAndScrolling()
    {
        auto p = started();
        QVERIFY(p);
        QVERIFY(QTest::qWaitForWindowActive(&p->window));
        const QString good = save(QStringLiteral("good.mid"));
        p->window.selectMidiFile(good);
        QCOMPARE(p->child("LblMess")->text(), QStringLiteral("Trks = 2"));
        const QString bad = dir.filePath(QStringLiteral("notes.mid"));
        QFile text(bad);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not music");
        text.close();
        const QString error = p->child("LblError")->text();
        p->window.selectMidiFile(bad);
        QVERIFY(p->window.statusBar()->currentMessage().contains(QStringLiteral("notes.mid is not a MIDI file")));
        QCOMPARE(p->child("LblMess")->text(), QString());
        QCOMPARE(p->child("LblError")->text(), error); // the run says it
        QCOMPARE(p->window.recentFiles().paths(), QStringList{good});

        p->child<QPushButton>("CmdBrow")->setFocus();
        p->child("LblMess")->setText(QStringLiteral(" 982"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(p->child("LblMess")->text(), QStringLiteral(" 982"));

        auto *meter = p->child<QComboBox>("CmbTimeSign");
        const int before = meter->currentIndex();
        const auto wheel = [meter] {
            const QPointF at(meter->rect().center());
            QWheelEvent event(at, meter->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(meter, &event);
        };
        wheel();
        QCOMPARE(meter->currentIndex(), before);
        meter->setFocus();
        wheel();
        QCOMPARE(meter->currentIndex(), before + 1);
    }

    void fitsAndStaysStill_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("resized"); // by the user, after the start
        QTest::addColumn<bool>("scrolled"); // the controls do not all fit
        QTest::newRow("large screen") << QSize(1280, 1024) << QSize() << false;
        QTest::newRow("1366 x 768") << QSize(1366, 768) << QSize() << false;
        QTest::newRow("1024 x 600") << QSize(1024, 600) << QSize() << true;
        QTest::newRow("1366 x 768 made 1024 x 600") << QSize(1366, 768) << QSize(1024, 600) << true;
    }

    // The key map in view where the controls fit; no section is squeezed, nor cut at the
    // pane's edge; the ports' lists show their choice whole (the built-in synthesizer always)
    // or end in an ellipsis, whole in the tool tip; one-line labels and buttons fit. Then a
    // live map names every key, as a long play may: nothing above it moves, and its legend
    // stays inside it.
    void fitsAndStaysStill()
    {
        QFETCH(QSize, screen);
        QFETCH(QSize, resized);
        QFETCH(bool, scrolled);
        auto p = started();
        p->window.fitTo(screen);
        if (resized.isValid())
            p->window.resize(resized);
        QCoreApplication::processEvents();
        auto *scroll = p->child<QScrollArea>("CentralScroll");
        QVERIFY(p->window.width() <= screen.width() && p->window.height() <= screen.height());
        QCOMPARE(scroll->verticalScrollBar()->isVisible(), scrolled);
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        if (!scrolled)
            QCOMPARE(p->window.keyMap()->visibleRegion().boundingRect(), p->window.keyMap()->rect());
        for (const QAbstractButton *button : scroll->widget()->findChildren<QAbstractButton *>())
            if (button->isVisibleTo(&p->window))
                QVERIFY2(button->width() >= button->sizeHint().width()
                             && button->visibleRegion().boundingRect() == button->rect(),
                         qPrintable(button->objectName()));
        for (const QGroupBox *section : p->window.findChildren<QGroupBox *>())
            QVERIFY2(section->width() >= section->minimumSizeHint().width(), qPrintable(section->objectName()));
        for (const char *name : {"CmbOutput", "CmbInput"}) {
            const auto *box = p->child<ElidingComboBox>(name);
            QVERIFY(box->fontMetrics().horizontalAdvance(box->shownText()) <= box->textField().width());
            QVERIFY(box->shownText() == box->currentText()
                    || (box->shownText().endsWith(QChar(0x2026)) && box->toolTip().startsWith(box->currentText())));
        }
        QCOMPARE(p->child<ElidingComboBox>("CmbOutput")->shownText(), QStringLiteral("Built-in synthesizer"));
        QVERIFY2(p->window.findChild<PianoRollWidget *>(QStringLiteral("PianoRoll"))->layout().area.height() >= 180, "the roll's notes keep room");
        // The longest lines a play writes, whole.
        p->child("LblProfileKey")->setText(QStringLiteral("Profile analysis: G# minor from bar 1234, 58 %"));
        p->child("LblChordNow")->setText(QStringLiteral("C#m7b5/G \u2014 viio42/V of D# minor"));
        QCoreApplication::processEvents();
        for (const QLabel *label : p->window.findChildren<QLabel *>())
            if (label->isVisibleTo(&p->window) && !label->wordWrap() && !label->toolTip().contains(label->text()))
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width(),
                         qPrintable(label->objectName()));

        QWidget *results = p->child<QGroupBox>("FraOutput");
        const QRect before(results->mapTo(&p->window, QPoint()), results->size());
        KeyMapData live{KeyMapUnit::Second, 0, {{TonalyteLiveRow, {}}, {ProfileRow, {}}}};
        for (int i = 0; i < 24; ++i)
            recordKey(live, 0, 2 * i, i < 12 ? 160 + i : 48 + i);
        KeyMapWidget *map = p->window.keyMap();
        map->setData(live);
        QCoreApplication::processEvents();
        QCOMPARE(QRect(results->mapTo(&p->window, QPoint()), results->size()), before);
        QCOMPARE(scroll->verticalScrollBar()->isVisible(), scrolled);
        for (const KeyMapLayout::LegendItem &item : layoutKeyMap(live, map->size(), QFontMetricsF(map->font(), map)).legend)
            QVERIFY(QRectF(map->rect()).contains(item.text));
    }

    // File > Export score with analysis: nothing before a score was analysed, then the score
    // with its chord symbols where the save dialog says.
    void scoreExportWritesTheAnalysedScore()
    {
        auto p = started();
        QVERIFY(p);
        const auto exportTo = [&](const QString &target) {
            QTimer waiter;
            waiter.setInterval(10);
            QObject::connect(&waiter, &QTimer::timeout, [&] {
                if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                    waiter.stop();
                    dialog->selectFile(target);
                    static_cast<QDialog *>(dialog)->accept();
                }
            });
            waiter.start();
            p->window.fileMenu().mnuExportScore->trigger();
            return p->window.statusBar()->currentMessage();
        };
        p->window.selectMidiFile(save(QStringLiteral("cadence.mid")));
        p->child<QPushButton>("CmdFastDetect")->click();
        QVERIFY(exportTo({}).startsWith(QStringLiteral("No score analysed yet")));
        const QString chord = QStringLiteral(
            "<note><pitch><step>G</step><octave>3</octave></pitch><duration>4</duration></note>"
            "<note><chord/><pitch><step>B</step><octave>4</octave></pitch><duration>4</duration></note>"
            "<note><chord/><pitch><step>D</step><octave>5</octave></pitch><duration>4</duration></note>");
        QString measures;
        for (int m = 0; m < 16; ++m)
            measures += QStringLiteral("<measure number=\"%1\">%2%3</measure>")
                            .arg(m + 1)
                            .arg(m == 0 ? QStringLiteral("<attributes><divisions>1</divisions></attributes>") : QString(), chord);
        QFile score(dir.filePath(QStringLiteral("g.xml")));
        QVERIFY(score.open(QIODevice::WriteOnly));
        score.write(("<score-partwise><part-list><score-part id=\"P1\"/></part-list><part id=\"P1\">" + measures
                     + "</part></score-partwise>").toUtf8());
        score.close();
        p->window.selectMidiFile(score.fileName());
        p->child<QPushButton>("CmdFastDetect")->click();
        const QString target = dir.filePath(QStringLiteral("g.musicxml"));
        QCOMPARE(exportTo(target), QStringLiteral("Score with analysis saved to ") + target);
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly) && written.readAll().contains("<root-step>G</root-step>"));
    }

    // Where no input port is listed, the status bar says why, whole, and so does "3- Listen".
    void unlistedInputsSayWhy()
    {
        auto p = started();
        const QString reason = QString::fromStdString(p->window.portChoices().inputs().reason);
        if (!p->window.portChoices().inputs().ports.empty() || reason.isEmpty())
            QSKIP("this machine lists MIDI input ports");
        QCOMPARE(p->window.statusBar()->currentMessage(), QStringLiteral("No MIDI input ports: ") + reason);
        p->child<QPushButton>("CmdListen")->click();
        QVERIFY(p->window.statusBar()->currentMessage().endsWith(reason) && p->child("LblError")->text().endsWith(reason));
    }
};

TUNEDECK_WINDOW_TEST_MAIN(DesktopTest)

#include "desktoptest.moc"
