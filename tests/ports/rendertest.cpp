// The timed play list of a file, and the file rendered to WAV through the real synthesizer.
#include "core/midi/midifile.h"
#include "core/playback/playlist.h"
#include "qt/playback/synthesizer.h"
#include "qt/playback/wavrender.h"

#include "midiwriter.h"
#include "wavpeak.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#if defined(__linux__)
#  include <csignal>
#  include <sys/resource.h>
#endif

using namespace tunedeck;

class RenderTest : public QObject {
    Q_OBJECT

private slots:
    // 1.25 ms per tick: ticks 2 and 6 fall on halves, which go to the even neighbour.
    void playListFollowsTracksAndRoundsHalfToEven()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(600000);
        f.addTrack().wait(2).noteOn(0, 60, 90).wait(4).text("x").noteOff(0, 60).wait(1).programChange(0, 9);
        f.addTrack().wait(6).controlChange(9, 7, 80).endOfTrack();
        MidiFile file;
        QVERIFY(file.loadFromBytes(f.bytes()));
        const auto events = [&](std::int32_t first, std::int32_t last) {
            return buildPlayList(file, {first, last}, false, msPerTick(file)).events;
        };
        const std::vector<TimedEvent> all = events(2, 3);
        const std::vector<TimedEvent> expected = {
            {2, 0x90, 60, 90, 2, 1}, {8, 0xFF, 0x01, 'x', 2}, {8, 0x80, 60, 0, 2, 2}, {9, 0xC0, 9, 0, 2},
            {9, 0xFF, 0x2F, 0, 2},   {8, 0xB9, 7, 80, 3},     {8, 0xFF, 0x2F, 0, 3}};
        QCOMPARE(all, expected);
        QCOMPARE(channelMessagesInPlayOrder(all),
                 (std::vector<TimedEvent>{all[0], all[2], all[5], all[3]}));
        QCOMPARE(events(3, 9).size(), 2u); // tracks past the last are none
    }

    // At 200 % an octave up: times halve, all but drums move, the high C is left out, counted once.
    void playListTakesTheAdjust()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().noteOn(0, 60, 90).channelMessage(0xA0, 60, 30).wait(480).noteOff(0, 60)
            .noteOn(9, 122, 90).noteOn(0, 120, 80).wait(480).noteOff(0, 120).noteOff(9, 122);
        MidiFile file;
        QVERIFY(file.loadFromBytes(f.bytes()));
        const PlayList list = buildPlayList(file, {2, 2}, false, msPerTick(file), PlayAdjust{12, 200});
        const std::vector<TimedEvent> expected = {{0, 0x90, 72, 90, 2, 1}, {0, 0xA0, 72, 30, 2}, {250, 0x80, 72, 0, 2, 2},
                                                  {250, 0x99, 122, 90, 2, 3}, {500, 0x89, 122, 0, 2, 4}, {500, 0xFF, 0x2F, 0, 2}};
        QCOMPARE(list.events, expected);
        QCOMPARE(list.notes.front().note, 72);
        QCOMPARE(list.leftOut, 1);
    }

    // tunedeck --render of a chord held a second, with a high C that an octave up leaves out.
    void renderTakesTempoAndTranspose()
    {
        const std::tuple<QStringList, int, QString> cases[] = { // ms played before the 2 s tail; -1: refused
            {{}, 1000, ""}, {{"--tempo", "200"}, 500, ""}, {{"--tempo", "50", "--transpose", "12"}, 2000, "range: 1\n"},
            {{"--tempo", "24"}, -1, "25 to 200"}, {{"--tempo", "201"}, -1, "25 to 200"}, {{"--transpose", "-13"}, -1, "-12 to 12"}};
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().noteOn(0, 60, 100).noteOn(0, 120, 100).wait(960).noteOff(0, 60).noteOff(0, 120);
        QTemporaryDir dir;
        const QString midi = dir.filePath("chord.mid"), wav = dir.filePath("chord.wav");
        QVERIFY(f.save(midi.toStdString()));
        for (const auto &[args, playedMs, said] : cases) {
            if (playedMs >= 0 && defaultSoundFont().isEmpty())
                QSKIP("no General MIDI soundfont installed (timgm6mb-soundfont)");
            QProcess p;
            p.start(QStringLiteral(TUNEDECK_PROGRAM), QStringList{"--render", wav} + args + QStringList{midi});
            QVERIFY(p.waitForFinished(60000));
            QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains(said));
            QCOMPARE(p.exitCode(), playedMs < 0 ? 2 : 0);
            SF_INFO info{};
            if (SNDFILE *sound = playedMs < 0 ? nullptr : sf_open(QFile::encodeName(wav).constData(), SFM_READ, &info))
                sf_close(sound);
            QCOMPARE(info.frames, playedMs < 0 ? 0 : sf_count_t(playedMs + 2000) * info.samplerate / 1000);
        }
    }

    // A chord for the first second, then nothing: sound there, near silence at the end.
    void rendersSoundWhereNotesPlay()
    {
        if (defaultSoundFont().isEmpty())
            QSKIP("no General MIDI soundfont installed (timgm6mb-soundfont)");
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        auto &t = f.addTrack().programChange(0, 0).controlChange(0, 91, 0);
        for (int note : {60, 64, 67})
            t.noteOn(0, note, 110);
        t.wait(960).noteOff(0, 60).noteOff(0, 64).noteOff(0, 67).meta(0x7F, "x");
        MidiFile file;
        QVERIFY(file.loadFromBytes(f.bytes()));
        QTemporaryDir dir;
        const QString path = dir.filePath("chord.wav");
        constexpr int Rate = 22050;
        const RenderResult result =
            renderToWav(buildPlayList(file, {2, 2}, false, msPerTick(file)).events, {}, path, Rate, 2000);
        QVERIFY2(result, result ? "" : result.error().reason.c_str());
        QCOMPARE(*result, 3 * Rate); // the last message at 1 s, then the tail

        SF_INFO info{};
        SNDFILE *wav = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
        QVERIFY(wav);
        QCOMPARE(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QCOMPARE(info.channels, 2);
        QCOMPARE(info.samplerate, Rate);
        QCOMPARE(info.frames, sf_count_t(*result));
        std::vector<short> samples(std::size_t(info.frames) * 2);
        QCOMPARE(sf_readf_short(wav, samples.data(), info.frames), info.frames);
        sf_close(wav);
        auto rms = [&](double from, double to) { // seconds; full scale is 1
            double sum = 0;
            const auto a = std::size_t(from * Rate) * 2, b = std::size_t(to * Rate) * 2;
            for (std::size_t k = a; k < b; ++k)
                sum += double(samples[k]) * samples[k];
            return std::sqrt(sum / double(b - a)) / 32768.0;
        };
        QVERIFY2(rms(0.1, 0.9) > 0.01, qPrintable(QString::number(rms(0.1, 0.9))));
        QVERIFY2(rms(2.5, 3.0) < 0.001, qPrintable(QString::number(rms(2.5, 3.0))));
    }

    // tunedeck --render keeps the synthesizer's level, far below full scale for a soft chord,
    // unless --normalise puts its loudest sample at -1 dBFS; --no-normalise says the default.
    void renderNormalisesWhenAsked()
    {
        if (defaultSoundFont().isEmpty())
            QSKIP("no General MIDI soundfont installed (timgm6mb-soundfont)");
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().noteOn(0, 60, 40).noteOn(0, 64, 40).wait(960).noteOff(0, 60).noteOff(0, 64);
        QTemporaryDir dir;
        const QString midi = dir.filePath("soft.mid");
        QVERIFY(f.save(midi.toStdString()));
        const auto peakOf = [&](const QStringList &options) { // NaN when refused
            const QString wav = dir.filePath(options.join(QString()) + ".wav");
            QProcess p;
            p.start(QStringLiteral(TUNEDECK_PROGRAM), QStringList{"--render", wav} + options + QStringList{midi});
            return p.waitForFinished(60000) && p.exitCode() == 0 ? peakDbfs(wav) : NAN;
        };
        const double plain = peakOf({});
        QVERIFY2(plain < -12, qPrintable(QString::number(plain)));
        QCOMPARE(peakOf({"--no-normalise"}), plain);
        QVERIFY(std::abs(peakOf({"--normalise"}) - NormalisedPeakDbfs) < 0.01);
        QVERIFY(std::isnan(peakOf({"--normalise", "--no-normalise"})));
    }

    // The progress runs once over a render, over both passes of a normalised one, each reported
    // as often (finding the peak is the first half); a cancel stops it at once, says so and
    // leaves no file, in either pass.
    void progressRunsOnceAndCancelLeavesNoFile_data()
    {
        QTest::addColumn<bool>("normalise");
        QTest::addColumn<double>("cancelAt"); // the share at which the caller cancels; over 1: never
        QTest::newRow("plain") << false << 2.0;
        QTest::newRow("plain, cancelled") << false << 0.5;
        QTest::newRow("normalised") << true << 2.0;
        QTest::newRow("normalised, cancelled finding the peak") << true << 0.25;
        QTest::newRow("normalised, cancelled writing") << true << 0.75;
    }
    void progressRunsOnceAndCancelLeavesNoFile()
    {
        QFETCH(bool, normalise);
        QFETCH(double, cancelAt);
        if (defaultSoundFont().isEmpty())
            QSKIP("no General MIDI soundfont installed (timgm6mb-soundfont)");
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().noteOn(0, 60, 100).wait(9600).noteOff(0, 60); // 10 s
        MidiFile file;
        QVERIFY(file.loadFromBytes(f.bytes()));
        QTemporaryDir dir;
        const QString path = dir.filePath("progress.wav");
        std::vector<double> shares;
        const RenderProgress progress = [&](double done) {
            shares.push_back(done);
            return done < cancelAt;
        };
        const RenderResult result = renderToWav(buildPlayList(file, {2, 2}, false, msPerTick(file)).events, {}, path,
                                                44100, 2000, progress, DefaultMaxRenderMs, normalise);
        QVERIFY(shares.size() > 2);
        QVERIFY(std::is_sorted(shares.begin(), shares.end()));
        if (cancelAt > 1) {
            QVERIFY2(result, result ? "" : result.error().reason.c_str());
            QCOMPARE(shares.back(), 1.0);
            const auto firstHalf = std::count_if(shares.begin(), shares.end(), [](double s) { return s <= 0.5; });
            if (normalise)
                QCOMPARE(firstHalf, std::int64_t(shares.size()) - 1 - firstHalf);
            return;
        }
        QVERIFY(!result);
        QCOMPARE(QString::fromStdString(result.error().reason), QStringLiteral("Rendering was cancelled"));
        QVERIFY(shares.back() >= cancelAt);
        QCOMPARE(std::count_if(shares.begin(), shares.end(), [&](double s) { return s >= cancelAt; }), 1);
        QVERIFY(!QFileInfo::exists(path));
    }

    // A note 2^28 ticks late (77.7 hours at 120 bpm) is refused before any file exists,
    // unless the limit is raised past it; the free space of the disk is checked next.
    void refusesLongPlaysUpFront_data()
    {
        QTest::addColumn<qint64>("maxMs");
        QTest::addColumn<QString>("reason");
        QTest::newRow("default limit") << qint64(DefaultMaxRenderMs) << "longer than the limit of 4.0 hours";
        QTest::newRow("raised past it") << qint64(100) * 3600000 << "";
    }
    void refusesLongPlaysUpFront()
    {
        QFETCH(qint64, maxMs);
        QFETCH(QString, reason);
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().noteOn(0, 60, 100).wait(std::uint64_t(1) << 27).controlChange(0, 7, 90)
            .wait(std::uint64_t(1) << 27).noteOff(0, 60);
        MidiFile file;
        QVERIFY(file.loadFromBytes(f.bytes()));
        const std::vector<TimedEvent> events = buildPlayList(file, {2, 2}, false, msPerTick(file)).events;
        QTemporaryDir dir;
        const QString path = dir.filePath("late.wav");
        if (reason.isEmpty()) {
            // Raised: only a check, rendering 77 hours is not this test's business.
            const std::int64_t lengthMs = channelMessagesInPlayOrder(events).back().ms + 2000;
            const Result<> fits = renderFits(lengthMs, 44100, path, maxMs);
            QVERIFY(fits || QString::fromStdString(fits.error().reason).contains("free there"));
            return;
        }
        const RenderResult result = renderToWav(events, {}, path, 44100, 2000, {}, maxMs);
        QVERIFY(!result);
        QVERIFY2(QString::fromStdString(result.error().reason).contains(reason), result.error().reason.c_str());
        QVERIFY(!QFileInfo::exists(path));
    }

    // A write refused by the system midway (a file size limit stands in for a full disk):
    // the render stops, names the system's reason and leaves no partial file.
    void writeErrorLeavesNoFile()
    {
#if defined(__linux__)
        if (defaultSoundFont().isEmpty())
            QSKIP("no General MIDI soundfont installed (timgm6mb-soundfont)");
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().noteOn(0, 60, 100).wait(9600).noteOff(0, 60); // 10 s, about 1.8 MB
        MidiFile file;
        QVERIFY(file.loadFromBytes(f.bytes()));
        QTemporaryDir dir;
        const QString path = dir.filePath("cut.wav");
        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        rlimit small = old;
        small.rlim_cur = 256 * 1024;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const RenderResult result =
            renderToWav(buildPlayList(file, {2, 2}, false, msPerTick(file)).events, {}, path);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!result);
        QVERIFY2(QString::fromStdString(result.error().reason).contains("File too large"),
                 result.error().reason.c_str());
        QVERIFY(!QFileInfo::exists(path));
#else
        QSKIP("needs a per-process file size limit");
#endif
    }
};

QTEST_GUILESS_MAIN(RenderTest)
#include "rendertest.moc"
