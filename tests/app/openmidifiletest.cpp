// Checking and loading the chosen file before either mode runs.
#include "fastdetect/openfile.h"
#include "midiwriter.h"
#include "reports/resulttext.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tunedeck;

class OpenMidiFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

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

        QTest::newRow("a folder") << "." << QByteArray() << "File Open Error";
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
        OpenFile file;
        QVERIFY(file.open(write(QStringLiteral("good.mid"), threeTracks()).toStdString()));

        QString path;
        if (name == QLatin1String("missing.mid") || name == QLatin1String("."))
            path = dir.filePath(name);
        else if (!name.isEmpty())
            path = write(name, bytes.toStdString());
        const OpenResult opened = file.open(path.toStdString());
        QVERIFY(!opened);
        const OpenFailure &refused = opened.error();
        QCOMPARE(text::openError(refused.kind), error);
        QCOMPARE(file.trackCount(), 3);
        QCOMPARE(file.ticksPerQuarter(), qint16(480));
        QCOMPARE(file.msPerTick(), float(500000 / 1000.0 / 480));
        // Only the system and the reader give reasons.
        QCOMPARE(refused.reason.empty(), refused.kind != OpenError::Reader && refused.kind != OpenError::FileOpen);
    }

    void acceptedFileSetsTheThreeNumbers()
    {
        midiwriter::File f(1, 96);
        f.addTrack().tempo(600000);
        for (int i = 0; i < 11; ++i)
            f.addTrack().note(0, 60 + i, 100, 96);
        OpenFile file;
        QVERIFY(file.open(write(QStringLiteral("twelve.mid"), f.bytes()).toStdString()));
        QCOMPARE(file.ticksPerQuarter(), qint16(96));
        QCOMPARE(file.msPerTick(), 6.25f);
        QCOMPARE(file.trackCount(), 12);
        QCOMPARE(text::ticksPerQuarter(file.ticksPerQuarter()), QStringLiteral(" 96"));
        QCOMPARE(text::trackCount(file.trackCount()), QStringLiteral("Trks = 12"));
        // "All" is tracks 2 on; "Track 11" is the last; "Track 12" is not in the file.
        QCOMPARE(file.tracks({true, 0})->first, 2);
        QCOMPARE(file.tracks({false, 10})->last, 12);
        QVERIFY(!file.tracks({false, 11}));
    }

    void fileWithoutTempoIsTimedAt120()
    {
        midiwriter::File f(1, 480);
        f.addTrack().text("conductor");
        f.addTrack().note(0, 60, 100, 480);
        OpenFile file;
        QVERIFY(file.open(write(QStringLiteral("notempo.mid"), f.bytes()).toStdString()));
        QCOMPARE(file.msPerTick(), 1.0416666f);
    }
};

QTEST_APPLESS_MAIN(OpenMidiFileTest)
#include "openmidifiletest.moc"
