// Checking and loading the chosen file before either mode runs.
#include "fakedisplay.h"
#include "midiwriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tunedeck;

class OpenMidiFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    TonalyteLibrary library{QStringLiteral(TONALYTE_TEST_LIBRARY)};

    QString write(const QString &name, const std::string &bytes)
    {
        const QString path = dir.filePath(name);
        midiwriter::save(path.toStdString(), bytes);
        return path;
    }

    static std::string threeTracks(int format = 1, int division = 480)
    {
        midiwriter::File f(format, division);
        f.addTrack().tempo(500000);
        f.addTrack().note(0, 60, 100, 480);
        f.addTrack().note(1, 64, 100, 480);
        return f.bytes();
    }

private slots:
    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const auto b = [](const std::string &s) { return QByteArray(s.data(), qsizetype(s.size())); };

        QTest::newRow("no file chosen") << QString() << QByteArray() << "File Open Error";
        QTest::newRow("missing file") << "missing.mid" << QByteArray() << "File Open Error";
        QTest::newRow("lower-case tag") << "lower.mid" << b("mthd" + threeTracks().substr(4)) << "Invalid File Header";
        QTest::newRow("wave audio") << "sound.mid" << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) << "Invalid File Header";
        QTest::newRow("two bytes") << "short.mid" << QByteArray("MT") << "Invalid File Header";
        QTest::newRow("empty file") << "empty.mid" << QByteArray("") << "Invalid File Header";
        QTest::newRow("format 0") << "f0.mid" << b(threeTracks(0)) << "Format not supported";
        QTest::newRow("format 2") << "f2.mid" << b(threeTracks(2)) << "Format not supported";
        midiwriter::File smpte(1);
        smpte.smpte(25, 40).addTrack().tempo(500000);
        QTest::newRow("SMPTE division") << "smpte.mid" << b(smpte.bytes()) << "Format not supported";
        QTest::newRow("division 0") << "d0.mid" << b(threeTracks(1, 0)) << "Format not supported";
        QTest::newRow("truncated") << "cut.mid" << b(threeTracks().substr(0, 40)) << "Midifile1_Error";
    }

    // A refused file leaves the numbers of the last good one.
    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        FakeDisplay display;
        ZonLogic logic(library, display, nullptr);
        display.logic = &logic;
        logic.setMidiFilePath(write(QStringLiteral("good.mid"), threeTracks()));
        QCOMPARE(logic.OpenMidiFile(), 1);
        display.captions.clear();

        QString path;
        if (name == QLatin1String("missing.mid"))
            path = dir.filePath(name);
        else if (!name.isEmpty())
            path = write(name, bytes.toStdString());
        logic.setMidiFilePath(path);
        QCOMPARE(logic.OpenMidiFile(), 0);
        QCOMPARE(display[Caption::LblError], error);
        QCOMPARE(logic.TrackCount, 3);
        QCOMPARE(logic.TicksPerQuarter, qint16(480));
        QCOMPARE(logic.MsPerTick, float(500000 / 1000.0 / 480));
        if (error == QLatin1String("Midifile1_Error"))
            QVERIFY(display[Caption::LblMess].startsWith(QLatin1String("Midifile1: ")));
    }

    void acceptedFileSetsTheThreeNumbers()
    {
        FakeDisplay display;
        ZonLogic logic(library, display, nullptr);
        midiwriter::File f(1, 96);
        f.addTrack().tempo(600000);
        for (int i = 0; i < 11; ++i)
            f.addTrack().note(0, 60 + i, 100, 96);
        logic.setMidiFilePath(write(QStringLiteral("twelve.mid"), f.bytes()));
        display.captions[Caption::LblError] = QStringLiteral("earlier");
        QCOMPARE(logic.OpenMidiFile(), 1);
        QCOMPARE(logic.TicksPerQuarter, qint16(96));
        QCOMPARE(logic.MsPerTick, 6.25f);
        QCOMPARE(logic.TrackCount, 12);
        QCOMPARE(display[Caption::LblTpNotDen], QStringLiteral(" 96"));
        QCOMPARE(display[Caption::LblMess], QStringLiteral("Trks = 12"));
        QCOMPARE(display[Caption::LblError], QStringLiteral("earlier")); // untouched on success
        QCOMPARE(display[Caption::LblInputFile], logic.MidiFilePath);
    }

    void fileWithoutTempoIsTimedAt120()
    {
        FakeDisplay display;
        ZonLogic logic(library, display, nullptr);
        midiwriter::File f(1, 480);
        f.addTrack().text("conductor");
        f.addTrack().note(0, 60, 100, 480);
        logic.setMidiFilePath(write(QStringLiteral("notempo.mid"), f.bytes()));
        QCOMPARE(logic.OpenMidiFile(), 1);
        QCOMPARE(logic.MsPerTick, 1.0416666f);
    }
};

QTEST_APPLESS_MAIN(OpenMidiFileTest)
#include "openmidifiletest.moc"
