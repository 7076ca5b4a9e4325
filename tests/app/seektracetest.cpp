// A play started by a seek shows, from the seek point on, what a play from the start shows:
// tunedeck-detect --live-trace FILE --from S against the same trace from 0.
#include "midiwriter.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class SeekTraceTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static QStringList trace(const QString &path, int from = -1)
    {
        QStringList args{QStringLiteral("--live-trace"), path};
        if (from >= 0)
            args << QStringLiteral("--from") << QString::number(from);
        QProcess p;
        p.start(QStringLiteral(TUNEDECK_DETECT), args);
        p.waitForFinished(120000);
        if (p.exitCode() != 0)
            return {QStringLiteral("failed: ") + QString::fromLocal8Bit(p.readAllStandardError())};
        return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    static void compareFrom(const QString &path, const QList<int> &seconds)
    {
        const QStringList whole = trace(path);
        QVERIFY2(whole.size() > 1, qPrintable(whole.join(QLatin1Char('\n'))));
        for (int s : seconds) {
            const QStringList seeked = trace(path, s);
            QCOMPARE(seeked, whole.mid(std::min<qsizetype>(s, whole.size())));
        }
    }

private slots:
    // Held chords across each seek point, notes cut for sounding too long, and a change
    // of key half way: the rebuilt state has to carry all of it.
    void seekedTraceEqualsThePlayFromTheStart()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        auto &pedal = f.addTrack();
        auto &tune = f.addTrack();
        pedal.noteOn(0, 36, 70).wait(480 * 40).noteOff(0, 36); // 20 s, far past a cut
        for (int bar = 0; bar < 24; ++bar) {
            const int tonic = bar < 12 ? 60 : 63;
            static constexpr int scale[7] = {0, 2, 4, 5, 7, 9, 11};
            for (int beat = 0; beat < 6; ++beat)
                tune.note(1, tonic + scale[(3 * bar + beat) % 7], 90, 320);
        }
        const QString path = dir.filePath(QStringLiteral("seek.mid"));
        QVERIFY(f.save(path.toStdString()));
        compareFrom(path, {0, 1, 7, 13, 19, 30, 200});
    }

    void corpusFileToo()
    {
        const QDir bach(QStringLiteral(TUNEDECK_CORPUS "/bach"));
        const QStringList files = bach.entryList({QStringLiteral("*.mid")});
        if (files.isEmpty())
            QSKIP("no shared corpus beside the project");
        compareFrom(bach.filePath(files.first()), {5, 17, 33});
    }
};

QTEST_GUILESS_MAIN(SeekTraceTest)
#include "seektracetest.moc"
