#include "fastdetect/midifile.h"
#include "midiwriter.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

using midiwriter::File;
using tunedeck::MidiFile;

namespace {

QByteArray bytesOf(const File &file)
{
    return QByteArray::fromStdString(file.bytes());
}

// The note-ons of every track as "tick:key", ticks summed the way the program sums them.
QStringList noteOns(MidiFile &midi)
{
    QStringList tracks;
    for (int t = 1; t <= midi.trackCount(); ++t) {
        QStringList notes;
        midi.setTrack(t);
        int32_t tick = 0;
        for (int k = 1; k <= midi.eventCount(); ++k) {
            midi.setEvent(k);
            tick += midi.deltaTime();
            if ((midi.status() & 0xF0) == 0x90 && midi.data2() > 0)
                notes << QStringLiteral("%1:%2").arg(tick).arg(midi.data1());
        }
        tracks << notes.join(' ');
    }
    return tracks;
}

// Conductor track with a tempo, then one note track.
File twoTracks()
{
    File file(1, 480);
    file.addTrack().tempo(600000);
    file.addTrack().note(0, 60, 100, 480);
    return file;
}

// A track whose tick sum reaches 2147483647 + extra with a note at the end.
File longTrack(uint32_t extra)
{
    File file(0, 96);
    auto &track = file.addTrack();
    for (int i = 0; i < 8; ++i)
        track.wait(0x0FFFFFFF).text({});
    track.wait(7 + extra).noteOn(0, 60, 1);
    return file;
}

} // namespace

class MidiFileTest : public QObject {
    Q_OBJECT

private slots:
    void validFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("notes");

        File f0(0, 96);
        f0.addTrack().tempo(500000).note(0, 60, 90, 96).note(9, 36, 90, 48).wait(48).noteOn(0, 64, 80);
        QTest::newRow("format 0") << bytesOf(f0) << 0 << QStringList{"0:60 96:36 192:64"};

        File f1(1, 480);
        f1.addTrack().tempo(400000).text("conductor");
        f1.addTrack().at(480).noteOn(0, 60, 100).noteOn(0, 64, 100).at(960).noteOff(0, 60).noteOff(0, 64);
        f1.addTrack().at(240).note(1, 48, 70, 720).note(1, 50, 70, 10);
        QTest::newRow("format 1") << bytesOf(f1) << 1 << QStringList{"", "480:60 480:64", "240:48 960:50"};
        QTest::newRow("format 1, running status") << bytesOf(f1.runningStatus()) << 1
                                                 << QStringList{"", "480:60 480:64", "240:48 960:50"};

        File f2(2, 192);
        f2.addTrack().note(0, 70, 1, 5);
        f2.addTrack().wait(3).note(0, 71, 1, 5);
        QTest::newRow("format 2") << bytesOf(f2) << 2 << QStringList{"0:70", "3:71"};

        // Meta and sysex delta times count; running status carries across a meta event.
        File between(1, 96);
        between.addTrack().noteOn(0, 60, 64).wait(10).text("x").wait(20).sysex("\x7E\xF7").wait(30).noteOn(0, 62, 64);
        between.addTrack().raw(std::string("\x00\x90\x3C\x40\x0A\xFF\x01\x01x\x14\x3E\x40", 12));
        QTest::newRow("meta and sysex between notes") << bytesOf(between) << 1 << QStringList{"0:60 60:62", "0:60 30:62"};

        File odd = twoTracks();
        odd.headerLength(10).addChunk("XFIH", "ignored");
        odd.addTrack().noteOn(0, 72, 1).noEndOfTrack();
        odd.addChunk("MTrk", "garbage past the announced tracks");
        odd.announceTracks(3);
        odd.chunk(0).endOfTrack().noteOn(0, 1, 1); // bytes after End of Track are ignored
        QTest::newRow("long header, unknown and extra chunks, no end of track")
            << bytesOf(odd) << 1 << QStringList{"", "0:60", "0:72"};

        QTest::newRow("ticks up to 2147483647") << bytesOf(longTrack(0)) << 0 << QStringList{"2147483647:60"};
    }
    void validFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        QFETCH(QStringList, notes);
        MidiFile midi;
        QVERIFY2(midi.loadFromBytes(bytes.toStdString()), midi.errorMessage().c_str());
        QCOMPARE(midi.format(), format);
        QCOMPARE(midi.trackCount(), notes.size());
        QCOMPARE(noteOns(midi), notes);
    }

    void storedEvents()
    {
        File file;
        file.addTrack().noteOn(2, 60, 100).wait(10).text("hi").wait(20).sysex("\x01\xF7").programChange(3, 5).wait(7);
        MidiFile midi;
        QVERIFY(midi.loadFromBytes(file.bytes()));
        midi.setTrack(1);
        QStringList events;
        for (int k = 1; k <= midi.eventCount(); ++k) {
            midi.setEvent(k);
            events << QStringLiteral("%1 %2 %3 %4").arg(midi.deltaTime()).arg(midi.status(), 0, 16).arg(midi.data1()).arg(midi.data2());
        }
        QCOMPARE(events, (QStringList{"0 92 60 100", "10 ff 1 104", "20 f0 0 0", "0 c3 5 0", "7 ff 47 0"}));
    }

    void headerValues_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("tempo");
        File none;
        none.addTrack().note(0, 60, 1, 1);
        QTest::newRow("no tempo") << bytesOf(none) << 0 << 480 << 500000;
        QTest::newRow("division 0 loads; the caller refuses it") << bytesOf(none.division(0)) << 0 << 0 << 500000;
        QTest::newRow("SMPTE 25 fps, 40 per frame") << bytesOf(none.smpte(25, 40)) << 25 << int(int16_t(0xE728)) << 500000;
        File order(2, 96);
        order.addTrack().wait(1000).tempo(400000).tempo(300000);
        order.addTrack().tempo(200000);
        order.addTrack().tempo(100000);
        QTest::newRow("first tempo in file order, not in time") << bytesOf(order) << 0 << 96 << 400000;
        File bad;
        bad.addTrack().meta(0x51, "\x01\x02").meta(0x51, std::string("\x07\xA1\x20\x00", 4)).tempo(250000);
        QTest::newRow("malformed tempo metas ignored") << bytesOf(bad) << 0 << 480 << 250000;
    }
    void headerValues()
    {
        QFETCH(QByteArray, bytes);
        MidiFile midi;
        QVERIFY(midi.loadFromBytes(bytes.toStdString()));
        QTEST(midi.divisionKind(), "kind");
        QTEST(int(midi.ticksPerQuarter()), "ticks");
        QTEST(midi.tempo(), "tempo");
    }

    void damaged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray good = bytesOf(twoTracks());
        auto row = [](const char *name, const QByteArray &bytes, const char *reason) {
            QTest::newRow(name) << bytes << QString(reason);
        };
        auto damaged = [](auto change) {
            File file = twoTracks();
            change(file);
            return bytesOf(file);
        };
        row("empty file", {}, "file is empty");
        row("lower-case tag", "mthd" + good.mid(4), "not a MIDI file (header is not MThd)");
        row("cut in the header", good.left(10), "file ends inside the header");
        row("header length 4", damaged([](File &f) { f.headerLength(4); }), "header chunk is too short (4 bytes, 6 needed)");
        row("truncated track", good.chopped(2), "file ends inside track 2");
        row("cut in a chunk header", damaged([](File &f) { f.announceTracks(3); }) + "MTr", "file ends inside track 3");
        row("overlong chunk length", damaged([](File &f) { f.chunk(1).declareLength(100); }), "file ends inside track 2");
        row("unknown chunk past the end", damaged([](File &f) { f.addChunk("XFIH", "").declareLength(9); f.announceTracks(3); }),
            "file ends inside an unknown chunk before track 3");
        row("short chunk length", damaged([](File &f) { f.chunk(1).declareLength(3); }), "track 2 ends inside an event");
        row("meta past the chunk", damaged([](File &f) { f.chunk(0).raw(std::string("\x00\xFF\x01\x10" "abc", 7)).noEndOfTrack(); }),
            "track 1 ends inside an event");
        row("delta of 5 bytes", damaged([](File &f) { f.chunk(1).wait(0x10000000).noteOn(0, 1, 1); }),
            "delta time longer than 4 bytes in track 2");
        row("meta length of 5 bytes", damaged([](File &f) { f.chunk(0).raw(std::string("\x00\xFF\x01\x81\x80\x80\x80\x00", 8)); }),
            "event length longer than 4 bytes in track 1");
        row("running status after only a meta", damaged([](File &f) { f.chunk(0).raw(std::string("\x00\x3C\x40", 3)); }),
            "running status with no status before it in track 1");
        row("running status after sysex", damaged([](File &f) { f.chunk(1).sysex("\xF7").raw(std::string("\x00\x3C\x40", 3)); }),
            "running status with no status before it in track 2");
        row("data byte above 127", damaged([](File &f) { f.chunk(1).noteOn(0, 60, 200); }), "data byte above 127 in track 2");
        row("unexpected status", damaged([](File &f) { f.chunk(1).rawEvent("\xF4"); }), "unexpected status byte 0xF4 in track 2");
        row("fewer tracks than announced", damaged([](File &f) { f.addTrack(); f.announceTracks(5); }),
            "track 4 is missing: the header announces 5 tracks but the file holds 3");
        row("too many tracks announced", damaged([](File &f) { f.announceTracks(40000); }),
            "the header announces 40000 tracks; at most 32767 are supported");
        row("ticks past 2147483647", bytesOf(longTrack(1)), "track 1 runs past 2147483647 ticks");
        row("over the size limit", good + QByteArray(MidiFile::MaxFileSize, 0), "file is larger than 32 MiB");
    }
    void damaged()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        MidiFile midi;
        QStringList reported;
        midi.setErrorHandler([&](const std::string &r) { reported << QString::fromStdString(r); });
        QVERIFY(midi.loadFromBytes(twoTracks().bytes()));
        QVERIFY(!midi.loadFromBytes(bytes.toStdString()));
        QCOMPARE(QString::fromStdString(midi.errorMessage()), reason);
        QCOMPARE(reported, QStringList{reason});
        // The good file loaded before leaves nothing behind.
        midi.setTrack(1);
        QVERIFY(midi.tracks().empty() && midi.eventCount() == 0);
        QCOMPARE(QList<int>({midi.trackCount(), midi.format(), midi.ticksPerQuarter(), midi.tempo()}),
                 QList<int>({0, 0, 0, 500000}));
    }

    void loadFromFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string good = dir.filePath("good.mid").toStdString();
        QVERIFY(twoTracks().save(good));
        QFile big(dir.filePath("big.mid"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.write("MThd") == 4 && big.resize(MidiFile::MaxFileSize + 1));
        big.close();

        MidiFile midi;
        int calls = 0;
        midi.setErrorHandler([&](const std::string &) { ++calls; });
        const auto load = [&](const std::string &path) {
            midi.setFileName(path);
            midi.load();
            midi.parse();
            return midi.ok();
        };
        QVERIFY(load(good));
        QCOMPARE(midi.tempo(), 600000);
        QCOMPARE(noteOns(midi), (QStringList{"", "0:60"}));

        QVERIFY(!load(big.fileName().toStdString()));
        QCOMPARE(QString::fromStdString(midi.errorMessage()), "file is larger than 32 MiB");
        QVERIFY(!load(dir.filePath("missing.mid").toStdString()));
        QVERIFY(QByteArray::fromStdString(midi.errorMessage()).contains("No such file"));
        QVERIFY(!load(dir.path().toStdString()));
        QVERIFY(!load(""));
        QCOMPARE(calls, 4);
        QCOMPARE(midi.trackCount(), 0);

        QVERIFY(load(good));
        QVERIFY(midi.errorMessage().empty());
        QCOMPARE(calls, 4);
    }

    void selections_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("events");
        QTest::newRow("track 0") << 0 << 1 << 0;
        QTest::newRow("track past the count") << 3 << 1 << 0;
        QTest::newRow("event 0") << 2 << 0 << 3;
        QTest::newRow("event past the count") << 2 << 4 << 3;
    }
    void selections()
    {
        QFETCH(int, track);
        QFETCH(int, event);
        QFETCH(int, events);
        MidiFile midi;
        QVERIFY(midi.loadFromBytes(twoTracks().bytes()));
        midi.setTrack(2);
        midi.setEvent(1);
        QCOMPARE(midi.status(), 0x90);
        midi.setTrack(track); // a new track drops the selected event
        QCOMPARE(midi.status(), 0);
        midi.setEvent(event);
        QCOMPARE(midi.eventCount(), events);
        QCOMPARE(midi.deltaTime() | midi.status() | midi.data1() | midi.data2(), 0);
    }

    // Speed is the benchmark's business; here only that a large file reads completely.
    void largeFileLoadsCompletely()
    {
        File file(1, 480);
        file.addTrack().tempo(500000);
        for (int t = 0; t < 8; ++t) {
            auto &track = file.addTrack();
            for (int n = 0; n < 8000; ++n)
                track.note(t, 40 + n % 48, 80, 60);
        }
        const std::string bytes = file.runningStatus().bytes();
        MidiFile midi;
        QVERIFY(midi.loadFromBytes(bytes));
        QCOMPARE(midi.trackCount(), 9);
        QCOMPARE(midi.tracks()[8].events.size(), std::size_t(16001));
    }
};

QTEST_APPLESS_MAIN(MidiFileTest)
#include "midifiletest.moc"
