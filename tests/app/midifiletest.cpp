#include "midi/midifile.h"
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
QStringList noteOns(const MidiFile &midi)
{
    QStringList tracks;
    for (const tunedeck::MidiTrack &track : midi.tracks()) {
        QStringList notes;
        int32_t tick = 0;
        for (const tunedeck::MidiEvent &e : track.events) {
            tick += int32_t(e.delta);
            if ((e.status & 0xF0) == 0x90 && e.data2 > 0)
                notes << QStringLiteral("%1:%2").arg(tick).arg(e.data1);
        }
        tracks << notes.join(' ');
    }
    return tracks;
}

QString reasonOf(const tunedeck::Result<> &read)
{
    return read ? QString() : QString::fromStdString(read.error().reason);
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
        const tunedeck::Result<> read = midi.loadFromBytes(bytes.toStdString());
        QVERIFY2(read, qPrintable(reasonOf(read)));
        QCOMPARE(midi.format(), format);
        QCOMPARE(midi.trackCount(), notes.size());
        QCOMPARE(noteOns(midi), notes);
    }

    // Each event as stored, and where it lies in the bytes: the copy of a file writes them again.
    void storedEvents()
    {
        File file;
        file.addTrack().text("x").noteOn(2, 60, 100).wait(10).noteOn(2, 62, 100).wait(20).sysex("\x01\xF7")
            .programChange(3, 5).wait(7);
        file.addChunk("XFIH", "skipped");
        file.addTrack().noteOn(0, 1, 1).noEndOfTrack();
        file.announceTracks(2);
        const std::string bytes = file.runningStatus().bytes();
        MidiFile midi;
        QVERIFY(midi.loadFromBytes(bytes, MidiFile::Keep::Places));
        QStringList events;
        for (const tunedeck::MidiTrack &track : midi.tracks()) {
            QCOMPARE(track.places.size(), track.events.size());
            for (std::size_t k = 0; k < track.events.size(); ++k) {
                const tunedeck::MidiEvent &e = track.events[k];
                const tunedeck::EventBytes &at = track.places[k];
                events << QStringLiteral("%1 %2 %3 %4 %5%6")
                              .arg(e.delta)
                              .arg(e.status, 0, 16)
                              .arg(e.data1)
                              .arg(e.data2)
                              .arg(QByteArray::fromStdString(bytes.substr(at.begin, at.end - at.begin)).toHex(),
                                   at.runningStatus ? QStringLiteral(" ran on") : QString());
            }
        }
        QCOMPARE(events, (QStringList{"0 ff 1 120 ff0101" "78", "0 92 60 100 923c64", "10 92 62 100 3e64 ran on",
                                      "20 f0 0 0 f00201f7", "0 c3 5 0 c305", "7 ff 47 0 ff2f00", "0 90 1 1 900101"}));

        QStringList chunks;
        for (const tunedeck::MidiChunk &c : midi.chunks())
            chunks << QStringLiteral("%1 %2 %3").arg(QString::fromStdString(c.type)).arg(c.offset).arg(c.length);
        QCOMPARE(chunks, (QStringList{"MThd 0 6", "MTrk 14 24", "XFIH 46 7", "MTrk 61 4"}));
        QCOMPARE(midi.chunks().back().end(), bytes.size());
        // Loaded for detection, nothing is placed.
        QVERIFY(midi.loadFromBytes(bytes) && midi.tracks()[0].places.empty());
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
        row("no tracks announced", damaged([](File &f) { f.announceTracks(0); }), "the header announces no tracks");
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
        QVERIFY(midi.loadFromBytes(twoTracks().bytes()));
        const tunedeck::Result<> read = midi.loadFromBytes(bytes.toStdString());
        QVERIFY(!read);
        QCOMPARE(reasonOf(read), reason);
        // The good file loaded before leaves nothing behind.
        QVERIFY(!midi.ok() && midi.tracks().empty() && midi.chunks().empty());
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
        QVERIFY(midi.load(good));
        QCOMPARE(midi.tempo(), 600000);
        QCOMPARE(noteOns(midi), (QStringList{"", "0:60"}));

        QCOMPARE(reasonOf(midi.load(big.fileName().toStdString())), "file is larger than 32 MiB");
        QVERIFY(reasonOf(midi.load(dir.filePath("missing.mid").toStdString())).contains("No such file"));
        QVERIFY(!reasonOf(midi.load(dir.path().toStdString())).isEmpty());
        QVERIFY(!reasonOf(midi.load("")).isEmpty());
        QCOMPARE(midi.trackCount(), 0);
        QVERIFY(midi.load(good));
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
