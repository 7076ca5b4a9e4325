// tunedeck-detect on tiny files whose ticks span millions of bars: every output stays as
// large as what the file holds, not as the bars it spans.
#include "midiwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>

class DetectGrowthTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    struct Result {
        int exitCode;
        QByteArray out, err;
    };

    static Result run(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(TUNEDECK_DETECT), args);
        p.waitForFinished(120000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

    // At one tick a quarter, triads held `ticks` each, one after another: C, F, G, C, ...
    QString heldChords(const QString &name, int chords, std::uint64_t ticks)
    {
        midiwriter::File f(1, 1);
        f.addTrack().tempo(500000);
        auto &t = f.addTrack();
        for (int i = 0; i < chords; ++i) {
            const int root = (i % 4 == 1 ? 65 : i % 4 == 2 ? 67 : 60);
            for (int step : {0, 4, 7})
                t.noteOn(0, root + step, 64);
            // A delta holds at most 2^28 - 1 ticks; an empty text event carries the rest.
            for (std::uint64_t left = ticks; left > 0;) {
                const std::uint64_t step = std::min<std::uint64_t>(left, 0x0FFFFFFF);
                t.wait(step);
                left -= step;
                if (left > 0)
                    t.text("");
            }
            for (int step : {0, 4, 7})
                t.noteOff(0, root + step);
        }
        const QString path = dir.filePath(name);
        f.save(path.toStdString());
        return path;
    }

    static qint64 sizeOf(const QString &path) { return QFileInfo(path).size(); }

private slots:
    void outputsStayBounded_data()
    {
        QTest::addColumn<int>("chords");
        QTest::addColumn<qint64>("ticks");
        QTest::addColumn<QString>("chart"); // the chart's lines after the label, joined by '|'
        // The file: 76 bytes, one triad held 2^28 ticks (2^26 bars of 4/4).
        QTest::newRow("one triad, 2^28 ticks") << 1 << (qint64(1) << 28) << "0001: [C major] C|0002-67108864: C";
        QTest::newRow("four triads, 2^25 ticks each")
            << 4 << (qint64(1) << 25)
            << "0001: [C major] C|0002-8388608: C|8388609: [F major] F|8388610-16777216: F"
               "|16777217: [G major] G|16777218-25165824: G|25165825: [C major] C|25165826-33554432: C";
    }

    // The chart, the chord CSV, the JSON, both copies and the key map, each within a bound a
    // line a bar would pass many times over; by workers too, none of them lost.
    void outputsStayBounded()
    {
        QFETCH(int, chords);
        QFETCH(qint64, ticks);
        QFETCH(QString, chart);
        QTemporaryDir music;
        const QString file = heldChords(QStringLiteral("held.mid"), chords, std::uint64_t(ticks));
        QVERIFY(sizeOf(file) < 200);

        const Result text = run({"--chords", file});
        QCOMPARE(text.exitCode, 0);
        const QList<QByteArray> lines = text.out.split('\n');
        const qsizetype at = lines.indexOf(QByteArray("  Chords            ") + chart.section('|', 0, 0).toUtf8());
        QVERIFY2(at >= 0, text.out.left(2000).constData());
        QStringList shown;
        for (qsizetype i = at; i < lines.size() && !lines[i].isEmpty(); ++i)
            shown << QString::fromUtf8(lines[i].mid(20));
        QCOMPARE(shown.join('|'), chart);

        const Result csv = run({"--chords", "--format", "csv", file});
        QCOMPARE(csv.exitCode, 0);
        QCOMPARE(csv.out.count('\n'), chords + 1);

        const Result json = run({"--json", file});
        QCOMPARE(json.exitCode, 0);
        const QJsonArray results = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(results.size(), 1);
        QCOMPARE(results[0][QLatin1String("chords")].toArray().size(), chords);
        // The bars' keys stop at their limit, the changes at the keys the file has.
        QVERIFY(json.out.size() < 16 << 20);

        const QString copies = music.filePath(QStringLiteral("copies")), map = music.filePath(QStringLiteral("map.png"));
        const Result copied = run({"--write-chords", copies, "--write-key-signatures", copies, "--map", map, file});
        QCOMPARE(copied.exitCode, 0);
        QVERIFY(sizeOf(QDir(copies).filePath(QStringLiteral("held.mid"))) < sizeOf(file) + 32 * chords);
        QVERIFY(sizeOf(map) > 0 && sizeOf(map) < 1 << 20);

        // Two of them by two workers: both reported, neither worker lost.
        QTemporaryDir pair;
        for (const char *name : {"a.mid", "b.mid"})
            QVERIFY(QFile::copy(file, pair.filePath(QLatin1String(name))));
        const Result jobs = run({"-j", "2", "--chords", "--format", "csv", pair.path()});
        QCOMPARE(jobs.exitCode, 0);
        QCOMPARE(jobs.out.count('\n'), 2 * chords + 1);
        QVERIFY2(jobs.err.startsWith("2 files read in "), jobs.err.constData());
    }
};

QTEST_GUILESS_MAIN(DetectGrowthTest)
#include "detectgrowthtest.moc"
