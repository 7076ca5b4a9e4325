// A play started by a seek shows, from the seek point on, what a play from the start shows:
// tunedeck-detect --live-trace FILE --from S against the same trace from 0.
#include "midiwriter.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class SeekTraceTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static QStringList trace(const QString &path, int from = -1, const QStringList &more = {})
    {
        QStringList args = QStringList{QStringLiteral("--live-trace"), path} + more;
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

        // Moved up a tone, the live keys are a tone up at every second; Tonalyte may name the
        // relative of the moved key instead (its major-or-minor rules do not transpose).
        const QStringList plain = trace(path), moved = trace(path, -1, {QStringLiteral("--transpose"), QStringLiteral("2")});
        QCOMPARE(moved.size(), plain.size());
        // Key codes: minor 60 + tonic, major 160 + tonic. The signature: its major's tonic.
        const auto tone = [](int code) {
            const int base = code >= 160 ? 160 : 60;
            return code == 0 ? 0 : base + (code - base + 2) % 12;
        };
        const auto signature = [](int code) { return code == 0 ? -1 : code >= 160 ? code - 160 : (code - 60 + 3) % 12; };
        for (qsizetype i = 0; i < plain.size(); ++i) {
            const QJsonObject a = QJsonDocument::fromJson(plain[i].toUtf8()).object(), b = QJsonDocument::fromJson(moved[i].toUtf8()).object();
            const int tonalyte = a[QLatin1String("tonalyte")].toInt(), profile = a[QLatin1String("profile")].toInt();
            QCOMPARE(b[QLatin1String("profile")].toInt(), tone(profile));
            QCOMPARE(signature(b[QLatin1String("tonalyte")].toInt()), signature(tone(tonalyte)));
        }
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
