// Key-signature copies read back by our own reader, writes that fail halfway, and format 0
// files split by channel.
#include "core/batch/keysignatures.h"
#include "core/midi/format0split.h"
#include "midiwriter.h"

#include <QIODevice>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace fs = std::filesystem;
using namespace tunedeck;
using namespace tunedeck::batch;

namespace {

using Timed = std::tuple<uint64_t, int, int, int>; // tick, status, data1, data2

std::vector<Timed> timed(const MidiTrack &track, bool keySignatures)
{
    std::vector<Timed> out;
    uint64_t tick = 0;
    for (const MidiEvent &e : track.events) {
        tick += e.delta;
        if ((e.status == 0xFF && e.data1 == 0x59) == keySignatures)
            out.emplace_back(tick, e.status, e.data1, e.data2);
    }
    return out;
}

std::string keySignature(int sf, int mi)
{
    return std::string{char(0xFF), 0x59, 2, char(sf), char(mi)};
}

} // namespace

class KeySignatureTest : public QObject {
    Q_OBJECT

private slots:
    // The first track gets the new signatures (one between two events that share a
    // running status, one after its End of Track, which bytes follow) and loses its old
    // one; another track loses its own; everything else is the same, byte for byte.
    void copyCarriesTheKeysAndNothingElseChanges()
    {
        midiwriter::File f(1, 480);
        f.runningStatus();
        f.addTrack().text("tempo").meta(0x59, "\x03\x01").tempo(500000).at(900).controlChange(0, 7, 100)
            .at(960).controlChange(0, 7, 90).at(1920).tempo(400000).endOfTrack().noteOn(0, 1, 1);
        f.addTrack().note(0, 60, 90, 240).note(0, 62, 90, 240).meta(0x59, std::string("\xFF\x00", 2)).note(0, 64, 90, 480);
        f.addChunk("XFIH", "unknown chunk");
        f.addTrack().note(1, 48, 80, 960).note(1, 43, 80, 960);
        const std::string source = f.bytes();

        const Result<std::string> copy = withKeySignatures(source, {{930, 69}, {0, 167}, {2400, 162}, {100, 0}});
        QVERIFY2(copy, copy ? "" : copy.error().reason.c_str());
        MidiFile before, after;
        QVERIFY(before.loadFromBytes(source));
        QVERIFY(after.loadFromBytes(*copy));
        QCOMPARE(after.trackCount(), before.trackCount());

        std::vector<Timed> tempo = timed(before.tracks()[0], false);
        std::get<0>(tempo.back()) = 2400; // End of Track moves on to the last signature
        QCOMPARE(timed(after.tracks()[0], false), tempo);
        QCOMPARE(timed(after.tracks()[0], true), (std::vector<Timed>{{0, 0xFF, 0x59, 1}, {930, 0xFF, 0x59, 0}, {2400, 0xFF, 0x59, 2}}));
        for (const std::string &sig : {keySignature(1, 0), keySignature(2, 0)})
            QVERIFY(copy->find(sig) != std::string::npos);
        // End of Track follows the last signature; the bytes readers skip after it stay.
        const std::string endAndAfter("\x00\xFF\x2F\x00\x00\x90\x01\x01", 8);
        QVERIFY(copy->find(keySignature(2, 0) + endAndAfter) != std::string::npos);
        // The controller after the new signature had run on; now it has its status again.
        QVERIFY(copy->find(keySignature(0, 1) + "\x1E\xB0\x07\x5A") != std::string::npos);
        QCOMPARE(timed(after.tracks()[1], false), timed(before.tracks()[1], false));
        QVERIFY(timed(after.tracks()[1], true).empty());
        for (std::size_t chunk : {2, 3})
            QVERIFY(copy->find(f.chunk(chunk).chunk(true)) != std::string::npos);
    }

    // A write that fails halfway leaves neither a partial target nor its temporary file,
    // and an older target as it was.
    void failedWriteLeavesNoFile()
    {
        QTemporaryDir tmp;
        const fs::path dir = tmp.path().toStdString();
        const auto halfThenFail = [](const BlockSink &write, std::string_view bytes) {
            write(bytes.substr(0, bytes.size() / 2));
            return false;
        };
        QVERIFY(!writeFileReplacing(dir / "new.mid", "0123456789", halfThenFail));
        QVERIFY(fs::is_empty(dir));

        std::ofstream(dir / "old.mid") << "old";
        QVERIFY(!writeFileReplacing(dir / "old.mid", "0123456789", halfThenFail));
        QVERIFY(writeFileReplacing(dir / "new.mid", "0123456789"));
        std::vector<std::string> names;
        for (const auto &e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        QCOMPARE(names, (std::vector<std::string>{"new.mid", "old.mid"}));
        QCOMPARE(fs::file_size(dir / "old.mid"), std::uintmax_t(3));

        // The source is never written over.
        QVERIFY(!writeKeySignatureCopy(FileEntry{(dir / "old.mid").string(), "old.mid"}, dir.string(), {}));
        QCOMPARE(fs::file_size(dir / "old.mid"), std::uintmax_t(3));
    }

    void splitsFormat0ByChannel()
    {
        midiwriter::File f(0, 480);
        f.addTrack().tempo(500000).noteOn(3, 60, 90).noteOn(0, 64, 90).at(100).sysex("\x7E\xF7")
            .at(240).noteOn(9, 36, 100).at(480).noteOff(3, 60).noteOff(0, 64).at(500).noteOff(9, 36).at(960).endOfTrack();
        MidiFile file;
        QVERIFY(file.loadFromBytes(f.bytes()));
        const std::vector<MidiTrack> tracks = splitFormat0(file);
        QCOMPARE(tracks.size(), std::size_t(4));
        const std::vector<std::vector<Timed>> expected = {
            {{0, 0xFF, 0x51, 0x07}, {100, 0xF0, 0, 0}, {960, 0xFF, 0x2F, 0}},
            {{0, 0x90, 64, 90}, {480, 0x80, 64, 0}, {960, 0xFF, 0x2F, 0}},
            {{0, 0x93, 60, 90}, {480, 0x83, 60, 0}, {960, 0xFF, 0x2F, 0}},
            {{240, 0x99, 36, 100}, {500, 0x89, 36, 0}, {960, 0xFF, 0x2F, 0}},
        };
        for (std::size_t t = 0; t < tracks.size(); ++t)
            QCOMPARE(timed(tracks[t], false), expected[t]);
    }
};

QTEST_GUILESS_MAIN(KeySignatureTest)
#include "keysignaturetest.moc"
