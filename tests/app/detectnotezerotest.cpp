// tunedeck-detect on files with a note 0, which the library refuses: each output reads as it
// does for the same file without the note, but for the JSON's count of what was left out.
#include "midiwriter.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Output {
    int exitCode = -1;
    QByteArray out, err;
};

// The command run in a folder, on its file "song.mid", so that names print alike.
Output detect(const QString &folder, QStringList args)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    args << QStringLiteral("song.mid");
    p.start(QStringLiteral(TUNEDECK_DETECT), args);
    p.waitForFinished(120000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

// The C major scale up and down over a bass; with note 0 under its first note and after its
// last, on channel 1, or only that.
midiwriter::File song(bool noteZero, bool scale = true)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    if (noteZero)
        t.noteOn(0, 0, 70);
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60}) {
        if (scale)
            t.note(0, note, 100, 480);
        else
            t.controlChange(0, 7, 100).wait(480);
        if (noteZero && note == 62)
            t.noteOff(0, 0);
    }
    if (noteZero)
        t.note(0, 0, 70, 240);
    else
        t.controlChange(0, 7, 100).wait(240);
    auto &bass = f.addTrack();
    if (scale)
        for (int note : {48, 43, 45, 41, 43, 48, 43, 48})
            bass.note(1, note, 90, 900);
    return f;
}

QJsonObject firstObject(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).array().at(0).toObject();
}

} // namespace

class DetectNoteZeroTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString saved(const QString &name, const midiwriter::File &f)
    {
        QDir(dir.path()).mkpath(name);
        const QString folder = dir.filePath(name);
        f.save((folder + QStringLiteral("/song.mid")).toStdString());
        return folder;
    }

private slots:
    void outputsReadAsWithoutIt_data()
    {
        QTest::addColumn<bool>("scale");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("leftOut"); // -1: no JSON object to read it from
        const struct {
            const char *name;
            bool scale;
            QStringList args;
            int leftOut;
        } rows[] = {
            {"text", true, {}, -1},
            {"text, --jobs 1", true, {"--jobs", "1"}, -1},
            {"json", true, {"--json"}, 2},
            {"jsonl, chords, second key", true, {"--format", "jsonl", "--chords", "--second-key"}, 2},
            {"csv", true, {"--format", "csv"}, -1},
            {"chords csv", true, {"--chords", "--format", "csv"}, -1},
            {"transposed up: note 2, analysed", true, {"--json", "--transpose", "2"}, 0},
            {"live trace", true, {"--live-trace"}, -1},
            {"note 0 alone, text", false, {}, -1},
            {"note 0 alone, json", false, {"--json"}, 2},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.scale << r.args << r.leftOut;
    }

    void outputsReadAsWithoutIt()
    {
        QFETCH(bool, scale);
        QFETCH(QStringList, args);
        QFETCH(int, leftOut);
        const Output with = detect(saved(QStringLiteral("with"), song(true, scale)), args);
        const Output without = detect(saved(QStringLiteral("without"), song(false, scale)), args);
        QCOMPARE(with.exitCode, without.exitCode);
        QCOMPARE(with.exitCode, 0);
        // The summary line's time differs from run to run.
        const auto untimed = [](const QByteArray &err) {
            return QString::fromUtf8(err).replace(QRegularExpression(QStringLiteral(" in [0-9.]+ s")), QStringLiteral(" in s"));
        };
        QCOMPARE(untimed(with.err), untimed(without.err));
        if (leftOut < 0) {
            QCOMPARE(with.out, without.out);
            return;
        }
        // The JSON alone counts the note-ons left out, and only when there were some.
        QJsonObject object = args.contains(QStringLiteral("--json")) ? firstObject(with.out)
                                                                      : QJsonDocument::fromJson(with.out).object();
        const QJsonObject other = args.contains(QStringLiteral("--json")) ? firstObject(without.out)
                                                                           : QJsonDocument::fromJson(without.out).object();
        QCOMPARE(object.value(QStringLiteral("noteZeroLeftOut")).toInt(), leftOut);
        QVERIFY(!other.contains(QStringLiteral("noteZeroLeftOut")));
        if (args.contains(QStringLiteral("--transpose")))
            return; // note 2 is a note of its own
        object.remove(QStringLiteral("noteZeroLeftOut"));
        QCOMPARE(object, other);
    }
};

QTEST_GUILESS_MAIN(DetectNoteZeroTest)
#include "detectnotezerotest.moc"
