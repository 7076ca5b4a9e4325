// tunedeck-detect as a user runs it: files in, the window's results out.
#include "core/base/keycodes.h"
#include "core/midi/midifile.h"
#include "midiwriter.h"
#include "pastthebuffer.h"
#include "outputstream.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <unistd.h>
#include <sys/stat.h>

class DetectCommandTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    struct Result {
        int exitCode;
        QString out, err;
    };

    static Result run(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(TUNEDECK_DETECT), args);
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }

    QString cMajorFile(int shift = 0) // shifted by 7: G major
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        auto &t = f.addTrack();
        for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 67, 64, 60})
            t.note(0, note + shift, 100, 480);
        const QString path = dir.filePath(shift ? QStringLiteral("shifted.mid") : QStringLiteral("cmajor.mid"));
        f.save(path.toStdString());
        return path;
    }

    // Sixteen bars in C major, then sixteen in G major: four-bar phrases of chords with the bass
    // doubled, I held over the bar line, V7 on beat 3, vi, IV, V7 on beat 3.
    QString phrasesFile()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000).at(32 * 1920).endOfTrack();
        auto &t = f.addTrack();
        const std::pair<int, std::vector<int>> phrase[] = {{6, {48, 52, 55, 60}}, {2, {43, 59, 62, 65}},
                                                          {4, {45, 57, 60, 64}}, {2, {41, 57, 60, 65}}, {2, {43, 59, 62, 65}}};
        for (int key : {0, 0, 0, 0, 7, 7, 7, 7})
            for (const auto &[beats, notes] : phrase) {
                for (int note : notes)
                    t.noteOn(0, note + key, 90);
                t.wait(480 * beats);
                for (int note : notes)
                    t.noteOff(0, note + key);
            }
        const QString path = dir.filePath(QStringLiteral("phrases.mid"));
        f.save(path.toStdString());
        return path;
    }

    // A file's events as (track, tick, bytes): its markers (FF 06), or all the others.
    static auto events(const QString &path, bool markers)
    {
        std::vector<std::tuple<int, std::uint64_t, std::string>> out;
        QFile file(path);
        const std::string bytes = file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
        tunedeck::MidiFile midi;
        for (int n = 0; midi.loadFromBytes(bytes, tunedeck::MidiFile::Keep::Places) && n < midi.trackCount(); ++n) {
            const tunedeck::MidiTrack &track = midi.tracks()[std::size_t(n)];
            std::uint64_t tick = 0;
            for (std::size_t i = 0; i < track.events.size(); ++i) {
                const tunedeck::EventBytes at = track.places[i];
                tick += track.events[i].delta;
                if ((track.events[i].status == 0xFF && track.events[i].data1 == 0x06) == markers)
                    out.emplace_back(n, tick, bytes.substr(at.begin, at.end - at.begin));
            }
        }
        return out;
    }

private slots:
    // The chart after today's lines; by workers, a CSV row for each chord of the JSON, and
    // copies with markers at the chords' starts and every other event as it was (beside the
    // key signatures when one folder takes both).
    void writesTheChords()
    {
        QTemporaryDir music;
        for (const char *name : {"a.mid", "b.mid"})
            QVERIFY(QFile::copy(phrasesFile(), music.filePath(QLatin1String(name))));
        const QString a = music.filePath(QStringLiteral("a.mid")), plain = run({a}).out, text = run({"--chords", a}).out;
        QVERIFY2(text.startsWith(plain.chopped(1)) && text.endsWith(QLatin1String("\n\n")), qPrintable(text));
        const QStringList chart = text.mid(plain.size() - 1).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QString under(20, QLatin1Char(' '));
        QCOMPARE(chart.size(), 32);
        QCOMPARE(chart.mid(0, 2), QStringList({"  Chords            0001: [C major] C", under + "0002: C G7@3"}));
        QCOMPARE(chart.mid(15, 2), QStringList({under + "0016: F G7@3", under + "0017: [G major] G"}));

        const QString keys = dir.filePath(QStringLiteral("keys")), markers = dir.filePath(QStringLiteral("markers")),
                      both = dir.filePath(QStringLiteral("both"));
        const Result json = run({"-j", "2", "--json", "--write-key-signatures", keys, "--write-chords", markers, music.path()});
        const Result csv = run({"-j", "2", "--chords", "--format", "csv", "--write-key-signatures", both, "--write-chords", both, music.path()});
        QVERIFY(json.exitCode == 0 && csv.exitCode == 0);
        const QJsonArray results = QJsonDocument::fromJson(json.out.toUtf8()).array();
        QStringList rows{"file,bar,beat,ms,symbol,label,roman,key,keyCode,confidence"};
        for (const QString name : {"a.mid", "b.mid"}) {
            std::vector<std::tuple<int, std::uint64_t, std::string>> starts;
            for (const QJsonValue &c : results[name == "b.mid"][QStringLiteral("chords")].toArray()) {
                QStringList fields{music.filePath(name)};
                for (const char *field : {"bar", "beat", "ms", "symbol", "label", "roman", "key", "keyCode", "confidence"})
                    fields << c[QLatin1String(field)].toVariant().toString();
                rows << fields.join(QLatin1Char(','));
                const std::string symbol = c[QStringLiteral("symbol")].toString().toStdString();
                starts.emplace_back(0, c[QStringLiteral("tick")].toInteger(), "\xFF\x06" + std::string(1, char(symbol.size())) + symbol);
            }
            QVERIFY(starts.size() > 20);
            QCOMPARE(events(markers + '/' + name, true), starts);
            QCOMPARE(events(both + '/' + name, true), starts);
            QCOMPARE(events(markers + '/' + name, false), events(music.filePath(name), false));
            QCOMPARE(events(both + '/' + name, false), events(keys + '/' + name, false));
        }
        QCOMPARE(csv.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts), rows);
    }

    void printsWhatTheWindowShows()
    {
        const Result r = run({cMajorFile()});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QLatin1String("Overall Key       C Major (00)")), qPrintable(r.out));
        QVERIFY(r.out.contains(QLatin1String("Probability = ")));
        QVERIFY(r.out.contains(QLatin1String("4/4 Meter Timing  0001: C Major")));

        // Another notation names the key beside the standard name: one object a line.
        const Result german = run({"--format", "jsonl", "--notation", "german", cMajorFile()});
        QVERIFY2(german.out.endsWith(QLatin1Char('\n')) && german.out.count(QLatin1Char('\n')) == 1,
                 qPrintable(german.out));
        const QJsonObject o = QJsonDocument::fromJson(german.out.toUtf8()).object();
        QCOMPARE(o[QStringLiteral("key")].toString(), QStringLiteral("C Major"));
        QCOMPARE(o[QStringLiteral("keyNotation")].toString(), QStringLiteral("C-Dur"));
    }

    // A play's seconds as a listener sees them: 20 s in C major, then 20 s in E-flat major
    // (I and V7 under a scale, a bar every 2 s at 120 beats a minute).
    void liveTraceFollowsThePlay()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        auto &chords = f.addTrack();
        auto &tune = f.addTrack();
        for (int bar = 0; bar < 20; ++bar) {
            const int tonic = bar < 10 ? 0 : 3;
            static constexpr int scale[7] = {0, 2, 4, 5, 7, 9, 11};
            const auto pitch = [&](int degree) { return 48 + tonic + scale[degree % 7] + 12 * (degree / 7); };
            const std::vector<int> chord = bar % 2 ? std::vector<int>{4, 11, 13, 15, 17} : std::vector<int>{0, 7, 9, 11};
            for (int degree : chord)
                chords.noteOn(0, pitch(degree), 80);
            chords.wait(1920);
            for (int degree : chord)
                chords.noteOff(0, pitch(degree));
            for (int beat = 0; beat < 4; ++beat)
                tune.note(1, pitch(14 + (4 * bar + beat) % 7), 90, 480);
        }
        const QString path = dir.filePath(QStringLiteral("modulating.mid"));
        QVERIFY(f.save(path.toStdString()));

        const Result r = run({"--live-trace", path});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 41); // seconds 0 to 40
        QList<int> profile;
        for (qsizetype s = 0; s < lines.size(); ++s) {
            const QJsonObject o = QJsonDocument::fromJson(lines[s].toUtf8()).object();
            QCOMPARE(o[QStringLiteral("second")].toInt(), s);
            QCOMPARE(o[QStringLiteral("tick")].toInt(), 960 * s);
            const int tonalyte = o[QStringLiteral("tonalyte")].toInt();
            QVERIFY(tonalyte == 0 || (tonalyte >= 60 && tonalyte < 72) || (tonalyte >= 160 && tonalyte < 172));
            profile << o[QStringLiteral("profile")].toInt();
            QVERIFY(o[QStringLiteral("confidence")].toDouble() >= 0 && o[QStringLiteral("confidence")].toDouble() <= 1);
        }
        // Nothing before the first note; C major, and E-flat major once it has held a while.
        QCOMPARE(profile[0], 0);
        for (int s = 5; s <= 21; ++s)
            QCOMPARE(profile[s], 160);
        for (int s = 32; s <= 40; ++s)
            QCOMPARE(profile[s], 163);
    }

    // A bad file says why and the next file is still read; the status tells a script.
    void badFileDoesNotStopTheRest()
    {
        const QString bad = dir.filePath(QStringLiteral("bad.mid"));
        midiwriter::save(bad.toStdString(), "MThd\0\0\0\6\0\1");
        const QString wave = dir.filePath(QStringLiteral("sound.mid"));
        midiwriter::save(wave.toStdString(), "RIFF....WAVE");
        const Result r = run({"--json", bad, wave, cMajorFile()});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains(QLatin1String("bad.mid: Midifile1_Error (file ends inside the header)")));
        QVERIFY(r.err.contains(QLatin1String("sound.mid: Invalid File Header")));
        const QJsonArray results = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QCOMPARE(results.size(), 3);
        QCOMPARE(results[0].toObject()[QStringLiteral("outcome")].toString(), QStringLiteral("file-refused"));
        const QJsonObject good = results[2].toObject();
        QCOMPARE(good[QStringLiteral("outcome")].toString(), QStringLiteral("reported"));
        QCOMPARE(good[QStringLiteral("keyCode")].toInt(), 160);
        QCOMPARE(good[QStringLiteral("key")].toString(), QStringLiteral("C Major"));
        QVERIFY(good[QStringLiteral("probability")].toInt() > 50);
    }

    // Past the event buffer the file still fails as "Out of buffer", with the profile analysis
    // and the chords of the notes up to the limit in the text and the JSON, the limit's bar
    // there too.
    void pastTheBufferUpToTheLimit()
    {
        const QString path = dir.filePath(QStringLiteral("long.mid"));
        QVERIFY(pastTheBuffer().save(path.toStdString()));
        const Result text = run({"--second-key", "--chords", path});
        QCOMPARE(text.exitCode, 1);
        QVERIFY2(text.out.contains(QLatin1String("Status            Out of buffer\n  Profile analysis  C major, ")),
                 qPrintable(text.out));
        QVERIFY(text.out.contains(QLatin1String("0001: [C major] C\n")));
        const QJsonObject o = QJsonDocument::fromJson(run({"--json", path}).out.toUtf8()).array().at(0).toObject();
        QCOMPARE(o[QStringLiteral("outcome")].toString(), QStringLiteral("out-of-buffer"));
        QCOMPARE(o[QStringLiteral("profileAnalysis")][QStringLiteral("key")].toString(), QStringLiteral("C major"));
        const int limit = o[QStringLiteral("limitBar")].toInt();
        QCOMPARE(limit, 2000);
        QCOMPARE(o[QStringLiteral("chords")].toArray().last()[QStringLiteral("symbol")].toString(), QStringLiteral("C"));
    }

    // A key from bar 978671 (24 ticks a quarter): listed with --all-bars only, by a worker too (CSV).
    void allBarsGoOn()
    {
        midiwriter::File f(1, 24);
        f.addTrack(); // the tempo track, never analysed
        auto &t = f.addTrack();
        for (int i = 0; i < 96; ++i) // a major scale, from bar 978671 up a tritone
            t.at(i == 48 ? 978670 * 96 : t.now()).note(0, 60 + i / 48 * 6 + i % 7 * 2 - (i % 7 > 2), 100, 24);
        const QString far = dir.filePath(QStringLiteral("far.mid"));
        QVERIFY(f.save(far.toStdString()));
        for (const auto &[options, wanted] : {std::pair<QStringList, QString>{{}, "Status            Timing overflow 3\n"},
                                              {{"--all-bars"}, "0001: C Major\n                    978671: F# Gb Major\n"},
                                              {{"--all-bars", "--format", "csv"}, ",reported,,F# Gb Major,166,48,,,,2,0\r\n"}})
            QVERIFY2(run(options + QStringList{far}).out.contains(wanted), qPrintable(wanted));
    }

    void optionsAreChecked_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("range"); // what the message must say
        QTest::newRow("track 13") << QStringList{"--track", "13"} << "1 to 12";
        QTest::newRow("meter 5/4") << QStringList{"--meter", "5/4"} << "2/4, 3/4, 4/4 or 6/8";
        QTest::newRow("keys 5") << QStringList{"--keys", "5"} << "1, 2, 3, 4 or unknown";
        QTest::newRow("no file") << QStringList{} << "no file given";
        // What the parser refuses is a wrong option too, with the usage.
        QTest::newRow("unknown option") << QStringList{"--bogus"} << "Unknown option 'bogus'. (see --help)\nUsage: ";
        QTest::newRow("missing value") << QStringList{"--track"} << "Missing value after '--track'. (see --help)\nUsage: ";
        for (const char *v : {"nan", "1", "0", "inf"})
            QTest::addRow("stay %s", v) << QStringList{"--stay", v} << "above 0 and below 1";
        for (const char *v : {"nan", "-9.2e15", "0.0001", "1e300"})
            QTest::addRow("timeout %s", v) << QStringList{"--timeout", v} << "0.001 to 86400";
        for (const char *v : {"0", "257", "nan"})
            QTest::addRow("jobs %s", v) << QStringList{"--jobs", v} << "1 to 256";
        QTest::newRow("transpose 13") << QStringList{"--transpose", "13"} << "-12 to 12";
        for (const char *copies : {"--write-key-signatures", "--write-chords"})
            QTest::addRow("transposed copies %s", copies) << QStringList{"--transpose", "2", copies, "out"}
                                                          << "cannot be used with --transpose";
    }

    void optionsAreChecked()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, range);
        if (!args.isEmpty())
            args.prepend(QStringLiteral("x.mid"));
        const Result r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith(QLatin1String("tunedeck-detect: ")));
        QVERIFY2(r.err.contains(range), qPrintable(r.err));
    }

    // A FIFO with no writer (an open or a read of it would wait for ever), a device and a
    // header with no tracks: refused with the reason, alone, as a row, with a map, in a folder.
    void refusedInputs()
    {
        QTemporaryDir folder;
        const QString fifo = folder.filePath(QStringLiteral("fifo.mid")), none = folder.filePath("none.mid");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 && midiwriter::File().save(none.toStdString()));
        for (const QString &path : {fifo, QStringLiteral("/dev/null"), none, folder.path()})
            for (const QStringList &options : QList<QStringList>{{}, {"--format", "csv"}, {"--map", dir.filePath("m.png")}}) {
                QProcess p;
                p.start(QStringLiteral(TUNEDECK_DETECT), options + QStringList{path});
                QVERIFY2(p.waitForFinished(20000) || (p.kill(), false), qPrintable(path)); // never waits for a writer
                QCOMPARE(p.exitCode(), 1);
                const QString said = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
                QVERIFY2(said.contains(path == none ? "the header announces no tracks" : "not a regular file"), qPrintable(said));
            }
    }

    void trackAndMeterOptions()
    {
        const Result r = run({"--track", "2", "--meter", "6/8", cMajorFile()});
        QCOMPARE(r.exitCode, 1); // the file has one track of notes: "Track 02" is not found
        QVERIFY(r.out.contains(QLatin1String("Track not found")));
        const Result six = run({"--meter", "6/8", "--keys", "unknown", cMajorFile()});
        QVERIFY(six.out.contains(QLatin1String("6/8 Meter Timing")));
    }

    // A folder in worker processes: rows in input order whatever finishes first, a worker
    // that crashes or hangs (in the test build) costs its file only, and key-signature
    // copies read as their sources do.
    void collectionRun()
    {
        QTemporaryDir music;
        QDir(music.path()).mkpath(QStringLiteral("b/c"));
        const QStringList names{"a.mid", "b/c/crash.MID", "b/hang.midi", "b/z.kar", "zz.mid", "notes.txt"};
        for (const QString &name : names) {
            midiwriter::File f(1, 480);
            f.addTrack().tempo(500000);
            auto &t = f.addTrack();
            for (int note : {67, 69, 71, 72, 74, 76, 78, 79, 74, 71, 67})
                t.note(0, note, 100, 480);
            QVERIFY(f.save(music.filePath(name).toStdString()));
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TUNEDECK_TEST_CRASH_ON"), QStringLiteral("crash.MID"));
        env.insert(QStringLiteral("TUNEDECK_TEST_HANG_ON"), QStringLiteral("hang.midi"));
        p.setProcessEnvironment(env);
        const QString copies = dir.filePath(QStringLiteral("copies"));
        p.start(QStringLiteral(TUNEDECK_DETECT_HOOKED), {"--jobs", "2", "--timeout", "2", "--format", "csv",
                                                         "--write-key-signatures", copies, music.path()});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        const QStringList rows = QString::fromUtf8(p.readAllStandardOutput()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 6);
        QVERIFY(rows[0].startsWith(QLatin1String("file,key,keyCode,signature,probability,outcome,message")));
        const QStringList expected{"a.mid,G Major,167", "b/c/crash.MID,,,", "b/hang.midi,,,", "b/z.kar,G Major,167",
                                   "zz.mid,G Major,167"};
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(rows[i + 1].contains(QLatin1Char('/') + expected[i]), qPrintable(rows[i + 1]));
        QVERIFY(rows[2].contains(QLatin1String("worker crashed")));
        QVERIFY(rows[3].contains(QLatin1String("timed out after 2 s")));
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QLatin1String("3 files read, 2 failed")));

        const Result again = run({"--format", "csv", copies});
        QCOMPARE(again.out.count(QStringLiteral("G Major,167,1#")), 3);
    }

    QString copies(const QString &name, int count)
    {
        for (int i = 0; QDir(dir.path()).mkpath(name) && i < count; ++i)
            QFile::copy(cMajorFile(), dir.filePath(name + QStringLiteral("/%1.mid").arg(i)));
        return dir.filePath(name);
    }

    // Full disk: one line, status 1; a reader gone away (output > a pipe): SIGPIPE's 141.
    void failedWritesStopTheRun()
    {
        if (!QFileInfo(QStringLiteral("/dev/full")).isWritable())
            QSKIP("no writable /dev/full here");
        const QString head = QStringLiteral(" | head -c 300 >/dev/null; exit ${PIPESTATUS[0]}");
        const std::pair<QString, int> cases[] = {{"--format csv \"$1\"/0.mid >/dev/full", 1}, {"\"$1\"/*.mid" + head, 141},
            {"--json --jobs 2 \"$1\" >/dev/full", 1}, {"--format jsonl --jobs 2 \"$1\"" + head, 141}};
        for (const auto &[command, status] : cases) {
            QProcess p;
            p.start(QStringLiteral("bash"), {"-c", "\"$0\" " + command, QStringLiteral(TUNEDECK_DETECT), copies("many", 300)});
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(p.exitCode(), status);
            QCOMPARE(p.readAllStandardError(), status == 1 ? "tunedeck-detect: cannot write the output: No space left on device\n" : "");
        }
    }

    // Workers, the stuck one too, end with the command; a picture run leaves no temp folder.
    void workersEndWithTheCommand()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TUNEDECK_TEST_HANG_ON"), QStringLiteral("1.mid"));
        for (const auto &[signal, status] : {std::pair{SIGTERM, 143}, {SIGINT, 130}, {SIGKILL, -1}}) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(TUNEDECK_DETECT_HOOKED), {"--jobs", "2", "--format", "jsonl", copies("stuck", 2)});
            QVERIFY(p.waitForReadyRead(30000)); // 0.mid answered: its worker is on 1.mid now
            QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(p.processId()));
            if (!children.open(QIODevice::ReadOnly))
                QSKIP("no /proc here");
            const QStringList workers = QString::fromLatin1(children.readAll()).split(' ', Qt::SkipEmptyParts);
            QCOMPARE(workers.size(), 2);
            ::kill(pid_t(p.processId()), signal);
            QVERIFY(p.waitForFinished(30000) && (status < 0 || p.exitCode() == status));
            QVERIFY(QTest::qWaitFor([&] {
                return std::all_of(workers.begin(), workers.end(), [](const QString &w) {
                    QFile stat(QStringLiteral("/proc/%1/stat").arg(w));
                    return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
                });
            }, 10000));
        }
        QTemporaryDir temp;
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TUNEDECK_DETECT), {"--map", dir.filePath(QStringLiteral("map.png")), cMajorFile()});
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
        QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void controlCharactersShowEscaped()
    {
        const std::pair<const char *, const char *> cases[] = {
            {"plain name.mid, C Major\r\n", "plain name.mid, C Major\r\n"},
            {"a\x1b[31mred\tb bell\x07 cr\r del\x7f\n", "a\\x1b[31mred\tb bell\\x07 cr\\x0d del\\x7f\n"},
            {"\xc2\x9b" "2J \xc3\xa9t\xc3\xa9", "\\u009b2J \xc3\xa9t\xc3\xa9"},
            {"caf\xe9 \x9b" "2J \xe2\x82 \xf0\x9f\x93\xa9", "caf\\xe9 \\x9b2J \\xe2\\x82 \xf0\x9f\x93\xa9"}};
        for (const auto &[text, shown] : cases)
            QCOMPARE(tunedeck::escapeControls(text), std::string(shown));
    }

    // Names that are not UTF-8 open, in this process and in workers: text and CSV show their
    // bytes, JSON a valid "file" with the bytes in "fileBytes". The streamed JSON array is
    // the one document its objects make, a refused file and a crashed worker among them.
    void namesThatAreNotUtf8()
    {
        QTemporaryDir folder;
        const std::string at = QFile::encodeName(folder.path()).toStdString() + '/';
        const auto removeAll = qScopeGuard([&] { std::filesystem::remove_all(at); }); // Qt cannot name them
        for (const char *name : {"caf\xe9.mid", "crash\xe9.mid", "plain.mid"})
            QVERIFY(std::filesystem::copy_file(cMajorFile().toStdString(), at + name));
        QVERIFY(midiwriter::save(at + "bad.mid", "RIFF....WAVE"));
        const QString odd = QStringLiteral("\"$(printf 'caf\\351.mid')\""); // one file: read in this process
        const auto detect = [&](const QString &options, const QString &files) {
            QProcess p;
            p.setWorkingDirectory(folder.path());
            p.start(QStringLiteral("bash"), {"-c", "TUNEDECK_TEST_CRASH_ON=crash exec \"$0\" " + options + ' ' + files,
                                             TUNEDECK_DETECT_HOOKED});
            p.waitForFinished(60000);
            return std::pair{p.readAllStandardOutput(), p.readAllStandardError()};
        };
        const QString all = odd + QStringLiteral(" \"$(printf 'crash\\351.mid')\" bad.mid plain.mid");
        const QByteArray text = detect({}, odd).first;
        QVERIFY2(text.startsWith("caf\xe9.mid\n  Overall Key       C Major (00)\n"), text.constData());
        const auto [csv, csvErr] = detect("--format csv -j 2", all);
        QVERIFY2(csv.contains("\r\ncaf\xe9.mid,C Major,160,"), csv.constData());
        QVERIFY(csv.contains("\r\ncrash\xe9.mid,,,,,worker-failed,worker crashed,"));
        QVERIFY(csvErr.contains("tunedeck-detect: crash\xe9.mid: worker crashed\n"));

        QJsonArray lines;
        for (const QByteArray &line : detect("--format jsonl -j 2", all).first.split('\n'))
            if (!line.isEmpty())
                lines.append(QJsonDocument::fromJson(line).object());
        QCOMPARE(detect("--format json -j 2", all).first, QJsonDocument(lines).toJson(QJsonDocument::Indented));
        const QJsonArray here = QJsonDocument::fromJson(detect("--json", odd).first).array();
        const auto field = [](const QJsonArray &a, int i, const char *name) { return a[i].toObject().value(QLatin1String(name)).toString(); };
        const auto exact = [&](const QJsonArray &a, int i) { return QByteArray::fromBase64(field(a, i, "fileBytes").toLatin1()); };
        QCOMPARE(lines.size(), 4);
        QVERIFY(field(lines, 0, "file") == "caf\uFFFD.mid" && field(here, 0, "file") == "caf\uFFFD.mid");
        QVERIFY(exact(lines, 0) == "caf\xe9.mid" && exact(here, 0) == "caf\xe9.mid" && exact(lines, 1) == "crash\xe9.mid");
        QCOMPARE(field(lines, 1, "outcome") + ' ' + field(lines, 2, "outcome"), QStringLiteral("worker-failed file-refused"));
        QVERIFY(!lines[3].toObject().contains(QLatin1String("fileBytes")) && field(lines, 3, "file") == "plain.mid");
    }

    // Every file of the shared corpus is read and reported, whatever key it finds.
    void readsTheWholeCorpus()
    {
        const QDir corpus(QStringLiteral(TUNEDECK_CORPUS));
        if (!corpus.exists())
            QSKIP("no shared corpus beside the project");
        QStringList files;
        for (const QString &sub : corpus.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            for (const QString &f : QDir(corpus.filePath(sub)).entryList({QStringLiteral("*.mid")}))
                files << corpus.filePath(sub + QLatin1Char('/') + f);
        QVERIFY(files.size() > 100);
        const Result r = run(QStringList{QStringLiteral("--json")} + files);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QJsonArray results = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QCOMPARE(results.size(), files.size());
        for (const QJsonValue &v : results) {
            const QJsonObject o = v.toObject();
            QCOMPARE(o[QStringLiteral("outcome")].toString(), QStringLiteral("reported"));
            // Some short examples give no key: then no timeline either.
            QCOMPARE(o[QStringLiteral("points")].toArray().isEmpty(), o[QStringLiteral("keyCode")].toInt() == 0);
        }

        // Transposed, the profile analysis' key moves by the interval in every file, and so
        // does Tonalyte's key signature where its top keys do not tie; Tonalyte's choice
        // between a major key and its relative minor follows in most files, not all.
        using namespace tunedeck;
        const auto shifted = [](int code, int by) { return isKeyCode(code) ? keyCodeOf(tonicOf(code) + by, isMinorKey(code)) : code; };
        const auto profileKey = [](const QJsonValue &v) { return v[QStringLiteral("profileAnalysis")][QStringLiteral("keyCode")].toInt(); };
        for (int by : {2, -5}) {
            const Result t = run(QStringList{QStringLiteral("--json"), QStringLiteral("--transpose"), QString::number(by)} + files);
            const QJsonArray moved = QJsonDocument::fromJson(t.out.toUtf8()).array();
            QCOMPARE(moved.size(), results.size());
            qsizetype sameKey = 0;
            for (qsizetype i = 0; i < results.size(); ++i) {
                const int before = results[i][QStringLiteral("keyCode")].toInt(), after = moved[i][QStringLiteral("keyCode")].toInt();
                QCOMPARE(profileKey(moved[i]), shifted(profileKey(results[i]), by));
                const QJsonArray ranked = results[i][QStringLiteral("candidates")].toArray();
                if (ranked.size() < 2 || ranked[0].toString().left(3) != ranked[1].toString().left(3))
                    QCOMPARE(relativeMajorTonic(after), relativeMajorTonic(shifted(before, by)));
                sameKey += after == shifted(before, by);
            }
            QVERIFY2(sameKey >= results.size() * 9 / 10, qPrintable(QString::number(sameKey)));
        }
    }
    // Copies that would land on one path, a link or folder at a copy's path, a folder that
    // cannot be written: the row says which copy and why, and nothing is written through.
    void keySignatureCopiesNeverOverwrite()
    {
        const QDir root(dir.filePath(QStringLiteral("shared")));
        const QString a = root.filePath(QStringLiteral("a")), b = root.filePath(QStringLiteral("b"));
        for (const QString &folder : {a, b})
            QVERIFY(root.mkpath(folder) && QFile::copy(cMajorFile(folder == a ? 0 : 7), folder + "/song.mid"));
        enum Plant { Nothing, Link, Folder, ReadOnly };
        const QString taken = QStringLiteral("song.mid is taken by ") + a + QStringLiteral("/song.mid");
        const struct { QStringList inputs; QString jobs; Plant plant; QString message; } cases[] = {
            {{a, b}, "1", Nothing, taken}, {{a, b}, "2", Nothing, taken},
            {{a + "/song.mid", b + "/song.mid"}, "2", Nothing, taken}, {{a}, "1", Link, {}},
            {{a}, "1", Folder, "song.mid: Is a directory"}, {{a}, "2", ReadOnly, "song.mid: Permission denied"}};
        for (const auto &c : cases) {
            if (c.plant == ReadOnly && geteuid() == 0)
                continue; // root writes anywhere
            const QString out = root.filePath(QStringLiteral("out")), copy = out + "/song.mid";
            const QString victim = root.filePath(QStringLiteral("victim"));
            QDir(out).removeRecursively();
            QFile::remove(victim);
            QVERIFY(root.mkpath(c.plant == Folder ? copy : out) && QFile::copy(a + "/song.mid", victim));
            if (c.plant == Link)
                QVERIFY(QFile::link(victim, copy));
            if (c.plant == ReadOnly)
                QFile::setPermissions(out, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            const QStringList args{"--jobs", c.jobs, "--write-key-signatures", out};
            const Result r = run(args + QStringList{"--format", "csv"} + c.inputs);
            const bool failed = c.plant == Folder || c.plant == ReadOnly;
            const QJsonObject json = !failed ? QJsonObject() : QJsonDocument::fromJson(
                run(args + QStringList{"--format", "jsonl", a}).out.toUtf8()).object();
            QFile::setPermissions(out, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            const QString row = r.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).last();
            QCOMPARE(r.exitCode, c.message.isEmpty() ? 0 : 1);
            QVERIFY2(c.message.isEmpty() ? row.contains(",reported,,") : row.contains(c.message), qPrintable(row));
            if (failed) // the JSON says it too
                QVERIFY(json[QStringLiteral("reason")].toString().endsWith(c.message));
            QVERIFY2(!r.err.contains(QLatin1String(".song.mid.")), qPrintable(r.err)); // no temporary name
            QCOMPARE(QFileInfo(victim).size(), QFileInfo(a + "/song.mid").size());
            if (c.plant == Nothing || c.plant == Link) // the first input's copy, as a file of its own
                QVERIFY(!QFileInfo(copy).isSymLink() && run({"--format", "csv", copy}).out.contains("C Major,160,00"));
        }
    }
};

QTEST_GUILESS_MAIN(DetectCommandTest)
#include "detecttest.moc"
