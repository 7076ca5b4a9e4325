// tunedeck-detect's copies as a hostile user runs them: folders of copies inside the input,
// folders inside each other, files without notes, broken links, and runs that end badly
// (a signal, a dead worker, a reader gone away). No copy replaces an input or another copy,
// and no temporary file stays.
#include "midiwriter.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class DetectCopiesTest : public QObject {
    Q_OBJECT

    struct Result {
        int exitCode;
        QString out, err;
    };

    static Result run(const QStringList &args, const QString &at = {}, const QProcessEnvironment &env = {})
    {
        QProcess p;
        p.setWorkingDirectory(at);
        if (!env.isEmpty())
            p.setProcessEnvironment(env);
        p.start(QStringLiteral(TUNEDECK_DETECT_HOOKED), args);
        p.waitForFinished(120000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    // A scale from `tonic`: C major at 60, G major at 67.
    static void scale(const QString &path, int tonic = 60)
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        auto &t = f.addTrack();
        for (int step : {0, 2, 4, 5, 7, 9, 11, 12, 7, 4, 0})
            t.note(0, tonic + step, 100, 480);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && f.save(path.toStdString()));
    }

    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }

    // The files under `dir`, hidden ones too, relative and sorted.
    static QStringList filesUnder(const QString &dir)
    {
        QStringList files;
        QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(dir).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    static QStringList temporaries(const QString &dir) { return filesUnder(dir).filter(QStringLiteral(".tmp")); }

private slots:
    // A folder of copies inside the folder read: its files are not read, none is replaced,
    // whether the run is the first or the second, and copies never nest.
    void copiesNeverReplaceAnInput()
    {
        QTemporaryDir dir;
        scale(dir.filePath("lib/song.mid"));
        scale(dir.filePath("lib/a/song.mid"), 67);
        scale(dir.filePath("lib/b.mid"));
        const QByteArray before = contents(dir.filePath("lib/a/song.mid"));
        // The second run cannot tell its first run's copy a/b.mid from a file of the input.
        for (const auto &[jobs, refused] : {std::pair{"1", "1 copy"}, {"2", "2 copies"}}) {
            const Result r = run({"--jobs", jobs, "--write-chords", "lib/a", "lib"}, dir.path());
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains("lib/a: not read, the copies are written there\n"), qPrintable(r.err));
            QVERIFY2(r.err.contains("lib/song.mid: chord markers not written (will not write over lib/a/song.mid in "
                                    "the input folder lib)\n"), qPrintable(r.err));
            QVERIFY2(r.err.contains(QStringLiteral("2 files read, %1 not written").arg(refused)), qPrintable(r.err));
            QCOMPARE(contents(dir.filePath("lib/a/song.mid")), before);
            QCOMPARE(filesUnder(dir.filePath("lib")), QStringList({"a/b.mid", "a/song.mid", "b.mid", "song.mid"}));
        }
        // A copy that would land on a file named on the command line, or on a link to one.
        QVERIFY(QFile::link(dir.filePath("lib/b.mid"), dir.filePath("lib/a/link.mid")));
        scale(dir.filePath("other/link.mid"));
        const Result named = run({"--write-chords", "lib/a", "other/link.mid", "lib/b.mid", "lib/song.mid", "lib/a/song.mid"},
                                 dir.path());
        QCOMPARE(named.exitCode, 1);
        for (const char *line : {"other/link.mid: chord markers not written (will not write over the input file lib/b.mid)\n",
                                 "lib/song.mid: chord markers not written (will not write over the input file lib/a/song.mid)\n",
                                 "lib/a/song.mid: chord markers not written (will not write over the source file lib/a/song.mid)\n",
                                 "4 files read, 3 copies not written"})
            QVERIFY2(named.err.contains(QLatin1String(line)), qPrintable(named.err));
        QCOMPARE(contents(dir.filePath("lib/a/song.mid")), before);
        QVERIFY(QFileInfo(dir.filePath("lib/a/link.mid")).isSymLink());
    }

    // Scores come back as <name>.musicxml with their analysis, through the same plan: a MIDI
    // file gets a reason, a score never replaces an input, two scores of one name one copy.
    void scoresAreWrittenWithTheirAnalysis()
    {
        QTemporaryDir dir;
        QString measures;
        for (const char *step : {"C", "E", "G", "C", "F", "A", "G", "B", "D", "C", "E", "G"})
            measures += QStringLiteral("<note><pitch><step>%1</step><octave>4</octave></pitch><duration>1</duration></note>").arg(QLatin1String(step));
        const QByteArray score = QStringLiteral("<score-partwise><part-list><score-part id=\"P1\"/></part-list><part id=\"P1\">"
                                                "<measure number=\"1\"><attributes><divisions>1</divisions></attributes>%1"
                                                "</measure></part></score-partwise>").arg(measures).toUtf8();
        for (const char *name : {"in/a.xml", "in/b.xml", "in/sub/b.musicxml"}) {
            QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(name)).path()));
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(score) == score.size());
        }
        scale(dir.filePath("in/c.mid"));
        for (const QString jobs : {"1", "2"}) {
            QDir(dir.filePath("o")).removeRecursively();
            const Result r = run({"--jobs", jobs, "--write-musicxml", "o", "in"}, dir.path());
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains("in/c.mid: annotated score not written (in/c.mid: it is not a score; the analysis is "
                                    "written into MusicXML scores only)\n"), qPrintable(r.err));
            QVERIFY2(r.err.contains("4 files read, 1 copy not written"), qPrintable(r.err));
            QCOMPARE(filesUnder(dir.filePath("o")), QStringList({"a.musicxml", "b.musicxml", "sub/b.musicxml"}));
            QVERIFY(contents(dir.filePath("o/a.musicxml")).contains("<harmony placement=\"above\">"));
        }
        const Result over = run({"--write-musicxml", "in/sub", "in/sub/b.musicxml", "in/b.xml"}, dir.path());
        QCOMPARE(over.exitCode, 1);
        for (const char *line : {"in/sub/b.musicxml: annotated score not written (will not write over the source file "
                                 "in/sub/b.musicxml)\n",
                                 "in/b.xml: annotated score not written (will not write over the input file in/sub/b.musicxml)\n"})
            QVERIFY2(over.err.contains(QLatin1String(line)), qPrintable(over.err));
        QCOMPARE(contents(dir.filePath("in/sub/b.musicxml")), score);
        const Result unfolded = run({"--unfold-repeats", "--write-musicxml", "o", "in/a.xml"}, dir.path());
        QCOMPARE(unfolded.exitCode, 2);
        QVERIFY2(unfolded.err.contains("--write-musicxml cannot be used with --unfold-repeats"), qPrintable(unfolded.err));
    }

    // Folders inside each other: one plan over both, so a copy never replaces another.
    void nestedFoldersShareOnePlan()
    {
        QTemporaryDir dir;
        scale(dir.filePath("in/c.mid"));
        scale(dir.filePath("in/sub/c.mid"), 67);
        for (const QString jobs : {"1", "2"}) {
            QDir(dir.filePath("o")).removeRecursively();
            const Result r = run({"--jobs", jobs, "--write-key-signatures", "o", "--write-chords", "o/sub", "in"}, dir.path());
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains("in/sub/c.mid: key signatures not written (copy o/sub/c.mid is taken by the copy "
                                    "of in/c.mid under o/sub)\n"), qPrintable(r.err));
            QCOMPARE(filesUnder(dir.filePath("o")), QStringList({"c.mid", "sub/c.mid", "sub/sub/c.mid"}));
            QVERIFY(contents(dir.filePath("o/sub/c.mid")).contains("\xFF\x06")); // in/c.mid's chord markers
            QVERIFY(!contents(dir.filePath("o/sub/c.mid")).contains("\xFF\x59"));
        }
    }

    // The RomanText beside the copies in one folder, the document --format rntxt prints, made
    // by the workers as by the command; never from a transposed run.
    void romanTextBesideTheCopies()
    {
        QTemporaryDir dir;
        scale(dir.filePath("in/c.mid"));
        scale(dir.filePath("in/sub/g.mid"), 67);
        const Result printed = run({"--format", "rntxt", "in/c.mid", "in/sub/g.mid"}, dir.path());
        QCOMPARE(printed.exitCode, 0);
        for (const QString jobs : {"1", "2"}) {
            QDir(dir.filePath("o")).removeRecursively();
            const Result r = run({"--jobs", jobs, "--write-rntxt", "o", "--write-chords", "o", "in"}, dir.path());
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
            QCOMPARE(filesUnder(dir.filePath("o")), QStringList({"c.mid", "c.rntxt", "sub/g.mid", "sub/g.rntxt"}));
            QCOMPARE(QString::fromUtf8(contents(dir.filePath("o/c.rntxt")) + '\n' + contents(dir.filePath("o/sub/g.rntxt"))
                                       + '\n'),
                     printed.out);
        }
        QVERIFY(printed.out.contains("Title: g\nAnalyst: Tunedeck "));
        QVERIFY(printed.out.contains(" G: I")); // in the bar the music starts
        QCOMPARE(run({"--write-rntxt", "o", "--transpose", "2", "in"}, dir.path()).exitCode, 2);
    }

    // Drums only, silence, no events, a system exclusive message only: each gets its copy,
    // nothing added, the folder made.
    void filesWithoutNotesGetTheirCopies()
    {
        QTemporaryDir dir;
        const auto save = [&](const char *name, auto fill) {
            midiwriter::File f(1, 480);
            f.addTrack().tempo(500000);
            fill(f.addTrack());
            QVERIFY(QDir().mkpath(dir.filePath("in")) && f.save(dir.filePath(QStringLiteral("in/") + name).toStdString()));
        };
        save("drums.mid", [](midiwriter::Track &t) { t.note(9, 36, 100, 240).note(9, 38, 100, 240); });
        save("silent.mid", [](midiwriter::Track &t) { t.at(1920).endOfTrack(); });
        save("empty.mid", [](midiwriter::Track &) {});
        save("sysex.mid", [](midiwriter::Track &t) { t.sysex("\x7E\x7F\x09\x01\xF7"); });
        for (const QString option : {"--write-chords", "--write-key-signatures"})
            for (const QString jobs : {"1", "2"}) {
                QDir(dir.filePath("o")).removeRecursively();
                const Result r = run({"--jobs", jobs, option, "o", "in"}, dir.path());
                QVERIFY2(r.exitCode == 0, qPrintable(r.err));
                for (const char *name : {"drums.mid", "silent.mid", "empty.mid", "sysex.mid"})
                    QCOMPARE(contents(dir.filePath(QStringLiteral("o/") + name)), contents(dir.filePath(QStringLiteral("in/") + name)));
            }
    }

    // A copy's folder that is a link to nothing, a folder where a copy goes: said honestly,
    // counted in the summary, in the CSV's message and the JSON's reason.
    void failedCopiesAreCounted()
    {
        QTemporaryDir dir;
        for (const char *name : {"1.mid", "2.mid", "3.mid"})
            scale(dir.filePath(QStringLiteral("in/") + name));
        QVERIFY(QFile::link(dir.filePath("nowhere"), dir.filePath("o")));
        const Result dangling = run({"--format", "csv", "--write-chords", "o", "in"}, dir.path());
        QCOMPARE(dangling.exitCode, 1);
        QVERIFY2(dangling.err.contains("in/2.mid: chord markers not written (cannot write o/2.mid: o is a broken symbolic link)"),
                 qPrintable(dangling.err));
        QVERIFY(dangling.err.contains("3 files read, 3 copies not written in "));
        QVERIFY(dangling.out.contains(",reported,cannot write o/3.mid: o is a broken symbolic link,"));
        QVERIFY(QFile::remove(dir.filePath("o")) && QDir().mkpath(dir.filePath("o/2.mid")));
        for (const QString jobs : {"1", "2"}) {
            const Result r = run({"--jobs", jobs, "--format", "jsonl", "--write-chords", "o", "in"}, dir.path());
            QCOMPARE(r.exitCode, 1);
            QVERIFY(r.err.contains("3 files read, 1 copy not written in "));
            const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), 3);
            QCOMPARE(QJsonDocument::fromJson(lines[1].toUtf8()).object().value("reason").toString(),
                     QStringLiteral("cannot write o/2.mid: Is a directory"));
            QCOMPARE(temporaries(dir.filePath("o")), QStringList());
        }
    }

    // A worker that dies after making its file's copy: the file is reported failed and has
    // no copy; a worker killed half way through writing a copy, or the command stopped by a
    // signal there, leaves no temporary file.
    void runsThatEndBadlyLeaveNothing_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("signal");  // sent to the command, or 0: the worker is killed
        QTest::addColumn<int>("status");  // -1: ended by the signal
        QTest::newRow("worker killed") << QStringList{"--jobs", "1"} << 0 << 1;
        QTest::newRow("SIGTERM, workers") << QStringList{"--jobs", "2"} << int(SIGTERM) << 143;
        QTest::newRow("SIGINT, workers") << QStringList{"--jobs", "2"} << int(SIGINT) << 130;
        // A key map keeps the run in the command's own process.
        QTest::newRow("SIGTERM, in the command") << QStringList{"--map", "m.png", "in/0.mid"} << int(SIGTERM) << -1;
        QTest::newRow("SIGHUP, in the command") << QStringList{"--map", "m.png", "in/0.mid"} << int(SIGHUP) << -1;
    }

    void runsThatEndBadlyLeaveNothing()
    {
        QFETCH(QStringList, options);
        QFETCH(int, signal);
        QFETCH(int, status);
        QTemporaryDir dir;
        for (const char *name : {"0.mid", "1.mid", "2.mid"})
            scale(dir.filePath(QStringLiteral("in/") + name));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TUNEDECK_TEST_PAUSE_IN_COPY"), dir.filePath("paused"));
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setProcessEnvironment(env);
        const bool named = options.contains(QStringLiteral("in/0.mid"));
        p.start(QStringLiteral(TUNEDECK_DETECT_HOOKED),
                QStringList{"--format", "jsonl", "--write-chords", "o"} + options + (named ? QStringList() : QStringList{"in"}));
        p.setReadChannel(QProcess::StandardError);
        QVERIFY(p.waitForStarted(30000));
        QByteArray said;
        while (!said.contains("copy half written\n") && p.state() == QProcess::Running && p.waitForReadyRead(30000))
            said += p.readAllStandardError();
        QVERIFY2(said.contains("copy half written\n"), said.constData());
        QVERIFY(!temporaries(dir.filePath("o")).isEmpty()); // the point it stops at
        if (signal) {
            ::kill(pid_t(p.processId()), signal);
        } else {
            QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(p.processId()));
            if (!children.open(QIODevice::ReadOnly))
                QSKIP("no /proc here");
            const QStringList workers = QString::fromLatin1(children.readAll()).split(' ', Qt::SkipEmptyParts);
            QCOMPARE(workers.size(), 1);
            ::kill(pid_t(workers[0].toInt()), SIGKILL);
        }
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, status);
        QCOMPARE(temporaries(dir.filePath("o")), QStringList());
        if (!signal) { // the other files' copies are there
            QVERIFY(p.readAllStandardOutput().contains("\"outcome\":\"worker-failed\",\"reason\":\"worker crashed\"}"));
            QCOMPARE(filesUnder(dir.filePath("o")), QStringList({"1.mid", "2.mid"}));
        }
    }

    void crashedWorkerGetsNoCopy()
    {
        QTemporaryDir dir;
        for (const char *name : {"0.mid", "1.mid", "2.mid"})
            scale(dir.filePath(QStringLiteral("in/") + name));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TUNEDECK_TEST_CRASH_AFTER"), QStringLiteral("1.mid"));
        const Result r = run({"--jobs", "2", "--write-key-signatures", "o", "in"}, dir.path(), env);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("in/1.mid: worker crashed\n") && r.err.contains("2 files read, 1 failed"), qPrintable(r.err));
        QCOMPARE(filesUnder(dir.filePath("o")), QStringList({"0.mid", "2.mid"}));
    }

    // A reader gone away or a full disk ends a run with workers at once: their temporary
    // files go too.
    void outputFailuresLeaveNoTemporaries()
    {
        QTemporaryDir dir;
        scale(dir.filePath("in/0.mid"));
        for (int i = 1; i < 300; ++i)
            QVERIFY(QFile::copy(dir.filePath("in/0.mid"), dir.filePath(QStringLiteral("in/%1.mid").arg(i))));
        for (const QString &tail : {QStringLiteral(" | head -c 300 >/dev/null"), QStringLiteral(" >/dev/full")}) {
            if (tail.contains("full") && !QFileInfo(QStringLiteral("/dev/full")).isWritable())
                continue;
            QDir(dir.filePath("o")).removeRecursively();
            QProcess p;
            p.setWorkingDirectory(dir.path());
            p.start(QStringLiteral("bash"), {"-c", "\"$0\" --format jsonl -j 2 --write-chords o in" + tail,
                                             QStringLiteral(TUNEDECK_DETECT_HOOKED)});
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(temporaries(dir.filePath("o")), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(DetectCopiesTest)
#include "detectcopiestest.moc"
