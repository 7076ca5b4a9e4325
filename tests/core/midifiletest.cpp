// The MIDI file reader: valid files, each event's place in the bytes, header values, every
// way a file is damaged, and files on disk.
#include "core/midi/midifile.h"
#include "midiwriter.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>

using midiwriter::File;
using tunedeck::MidiFile;

namespace {

using Texts = std::vector<std::string>;

// The note-ons of every track as "tick:key", ticks summed the way the program sums them.
Texts noteOns(const MidiFile &midi)
{
    Texts tracks;
    for (const tunedeck::MidiTrack &track : midi.tracks()) {
        std::string notes;
        int32_t tick = 0;
        for (const tunedeck::MidiEvent &e : track.events) {
            tick += int32_t(e.delta);
            if ((e.status & 0xF0) == 0x90 && e.data2 > 0)
                notes.append(notes.empty() ? "" : " ").append(std::to_string(tick) + ':' + std::to_string(e.data1));
        }
        tracks.push_back(notes);
    }
    return tracks;
}

std::string reasonOf(const tunedeck::Result<> &read)
{
    return read ? std::string() : read.error().reason;
}

std::string hexNumber(unsigned value)
{
    char buf[16];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, value, 16).ptr);
}

std::string hex(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char b : bytes)
        out += {digits[b >> 4], digits[b & 15]};
    return out;
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

TEST(MidiFile, ReadsValidFiles)
{
    struct Case {
        const char *name;
        std::string bytes;
        int format;
        Texts notes;
    };
    std::vector<Case> cases;

    File f0(0, 96);
    f0.addTrack().tempo(500000).note(0, 60, 90, 96).note(9, 36, 90, 48).wait(48).noteOn(0, 64, 80);
    cases.push_back({"format 0", f0.bytes(), 0, {"0:60 96:36 192:64"}});

    File f1(1, 480);
    f1.addTrack().tempo(400000).text("conductor");
    f1.addTrack().at(480).noteOn(0, 60, 100).noteOn(0, 64, 100).at(960).noteOff(0, 60).noteOff(0, 64);
    f1.addTrack().at(240).note(1, 48, 70, 720).note(1, 50, 70, 10);
    cases.push_back({"format 1", f1.bytes(), 1, {"", "480:60 480:64", "240:48 960:50"}});
    cases.push_back({"format 1, running status", f1.runningStatus().bytes(), 1, {"", "480:60 480:64", "240:48 960:50"}});

    File f2(2, 192);
    f2.addTrack().note(0, 70, 1, 5);
    f2.addTrack().wait(3).note(0, 71, 1, 5);
    cases.push_back({"format 2", f2.bytes(), 2, {"0:70", "3:71"}});

    // Meta and sysex delta times count; running status carries across a meta event.
    File between(1, 96);
    between.addTrack().noteOn(0, 60, 64).wait(10).text("x").wait(20).sysex("\x7E\xF7").wait(30).noteOn(0, 62, 64);
    between.addTrack().raw(std::string("\x00\x90\x3C\x40\x0A\xFF\x01\x01x\x14\x3E\x40", 12));
    cases.push_back({"meta and sysex between notes", between.bytes(), 1, {"0:60 60:62", "0:60 30:62"}});

    File odd = twoTracks();
    odd.headerLength(10).addChunk("XFIH", "ignored");
    odd.addTrack().noteOn(0, 72, 1).noEndOfTrack();
    odd.addChunk("MTrk", "garbage past the announced tracks");
    odd.announceTracks(3);
    odd.chunk(0).endOfTrack().noteOn(0, 1, 1); // bytes after End of Track are ignored
    cases.push_back({"long header, unknown and extra chunks, no end of track", odd.bytes(), 1, {"", "0:60", "0:72"}});

    cases.push_back({"ticks up to 2147483647", longTrack(0).bytes(), 0, {"2147483647:60"}});

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MidiFile midi;
        const tunedeck::Result<> read = midi.loadFromBytes(c.bytes);
        ASSERT_TRUE(read) << reasonOf(read);
        EXPECT_EQ(midi.format(), c.format);
        EXPECT_EQ(std::size_t(midi.trackCount()), c.notes.size());
        EXPECT_EQ(noteOns(midi), c.notes);
    }
}

// Each event as stored, and where it lies in the bytes: the copy of a file writes them again.
TEST(MidiFile, KeepsEachEventsPlace)
{
    File file;
    file.addTrack().text("x").noteOn(2, 60, 100).wait(10).noteOn(2, 62, 100).wait(20).sysex("\x01\xF7")
        .programChange(3, 5).wait(7);
    file.addChunk("XFIH", "skipped");
    file.addTrack().noteOn(0, 1, 1).noEndOfTrack();
    file.announceTracks(2);
    const std::string bytes = file.runningStatus().bytes();
    MidiFile midi;
    ASSERT_TRUE(midi.loadFromBytes(bytes, MidiFile::Keep::Places));
    Texts events;
    for (const tunedeck::MidiTrack &track : midi.tracks()) {
        ASSERT_EQ(track.places.size(), track.events.size());
        for (std::size_t k = 0; k < track.events.size(); ++k) {
            const tunedeck::MidiEvent &e = track.events[k];
            const tunedeck::EventBytes &at = track.places[k];
            events.push_back(std::to_string(e.delta) + ' ' + hexNumber(e.status)
                             + ' ' + std::to_string(e.data1) + ' ' + std::to_string(e.data2) + ' '
                             + hex(bytes.substr(at.begin, at.end - at.begin)) + (at.runningStatus ? " ran on" : ""));
        }
    }
    EXPECT_EQ(events, (Texts{"0 ff 1 120 ff0101" "78", "0 92 60 100 923c64", "10 92 62 100 3e64 ran on",
                             "20 f0 0 0 f00201f7", "0 c3 5 0 c305", "7 ff 47 0 ff2f00", "0 90 1 1 900101"}));

    Texts chunks;
    for (const tunedeck::MidiChunk &c : midi.chunks())
        chunks.push_back(c.type + ' ' + std::to_string(c.offset) + ' ' + std::to_string(c.length));
    EXPECT_EQ(chunks, (Texts{"MThd 0 6", "MTrk 14 24", "XFIH 46 7", "MTrk 61 4"}));
    EXPECT_EQ(midi.chunks().back().end(), bytes.size());
    // Loaded for detection, nothing is placed.
    ASSERT_TRUE(midi.loadFromBytes(bytes));
    EXPECT_TRUE(midi.tracks()[0].places.empty());
}

TEST(MidiFile, ReadsTheHeadersValues)
{
    struct Case {
        const char *name;
        std::string bytes;
        int kind, ticks, tempo;
    };
    File none;
    none.addTrack().note(0, 60, 1, 1);
    File order(2, 96);
    order.addTrack().wait(1000).tempo(400000).tempo(300000);
    order.addTrack().tempo(200000);
    order.addTrack().tempo(100000);
    File bad;
    bad.addTrack().meta(0x51, "\x01\x02").meta(0x51, std::string("\x07\xA1\x20\x00", 4)).tempo(250000);
    const Case cases[] = {
        {"no tempo", none.bytes(), 0, 480, 500000},
        {"division 0 loads; the caller refuses it", none.division(0).bytes(), 0, 0, 500000},
        {"SMPTE 25 fps, 40 per frame", none.smpte(25, 40).bytes(), 25, int(int16_t(0xE728)), 500000},
        {"first tempo in file order, not in time", order.bytes(), 0, 96, 400000},
        {"malformed tempo metas ignored", bad.bytes(), 0, 480, 250000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MidiFile midi;
        ASSERT_TRUE(midi.loadFromBytes(c.bytes));
        EXPECT_EQ(midi.divisionKind(), c.kind);
        EXPECT_EQ(int(midi.ticksPerQuarter()), c.ticks);
        EXPECT_EQ(midi.tempo(), c.tempo);
    }
}

TEST(MidiFile, SaysWhyADamagedFileIsRefused)
{
    struct Case {
        const char *name;
        std::string bytes;
        const char *reason;
    };
    const std::string good = twoTracks().bytes();
    auto damaged = [](auto change) {
        File file = twoTracks();
        change(file);
        return file.bytes();
    };
    const Case cases[] = {
        {"empty file", {}, "file is empty"},
        {"lower-case tag", "mthd" + good.substr(4), "not a MIDI file (header is not MThd)"},
        {"cut in the header", good.substr(0, 10), "file ends inside the header"},
        {"header length 4", damaged([](File &f) { f.headerLength(4); }), "header chunk is too short (4 bytes, 6 needed)"},
        {"truncated track", good.substr(0, good.size() - 2), "file ends inside track 2"},
        {"cut in a chunk header", damaged([](File &f) { f.announceTracks(3); }) + "MTr", "file ends inside track 3"},
        {"overlong chunk length", damaged([](File &f) { f.chunk(1).declareLength(100); }), "file ends inside track 2"},
        {"unknown chunk past the end", damaged([](File &f) { f.addChunk("XFIH", "").declareLength(9); f.announceTracks(3); }),
         "file ends inside an unknown chunk before track 3"},
        {"short chunk length", damaged([](File &f) { f.chunk(1).declareLength(3); }), "track 2 ends inside an event"},
        {"meta past the chunk", damaged([](File &f) { f.chunk(0).raw(std::string("\x00\xFF\x01\x10" "abc", 7)).noEndOfTrack(); }),
         "track 1 ends inside an event"},
        {"delta of 5 bytes", damaged([](File &f) { f.chunk(1).wait(0x10000000).noteOn(0, 1, 1); }),
         "delta time longer than 4 bytes in track 2"},
        {"meta length of 5 bytes", damaged([](File &f) { f.chunk(0).raw(std::string("\x00\xFF\x01\x81\x80\x80\x80\x00", 8)); }),
         "event length longer than 4 bytes in track 1"},
        {"running status after only a meta", damaged([](File &f) { f.chunk(0).raw(std::string("\x00\x3C\x40", 3)); }),
         "running status with no status before it in track 1"},
        {"running status after sysex", damaged([](File &f) { f.chunk(1).sysex("\xF7").raw(std::string("\x00\x3C\x40", 3)); }),
         "running status with no status before it in track 2"},
        {"data byte above 127", damaged([](File &f) { f.chunk(1).noteOn(0, 60, 200); }), "data byte above 127 in track 2"},
        {"unexpected status", damaged([](File &f) { f.chunk(1).rawEvent("\xF4"); }), "unexpected status byte 0xF4 in track 2"},
        {"fewer tracks than announced", damaged([](File &f) { f.addTrack(); f.announceTracks(5); }),
         "track 4 is missing: the header announces 5 tracks but the file holds 3"},
        {"no tracks announced", damaged([](File &f) { f.announceTracks(0); }), "the header announces no tracks"},
        {"too many tracks announced", damaged([](File &f) { f.announceTracks(40000); }),
         "the header announces 40000 tracks; at most 32767 are supported"},
        {"ticks past 2147483647", longTrack(1).bytes(), "track 1 runs past 2147483647 ticks"},
        {"over the size limit", good + std::string(MidiFile::MaxFileSize, '\0'), "file is larger than 32 MiB"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MidiFile midi;
        ASSERT_TRUE(midi.loadFromBytes(twoTracks().bytes()));
        const tunedeck::Result<> read = midi.loadFromBytes(c.bytes);
        ASSERT_FALSE(read);
        EXPECT_EQ(reasonOf(read), c.reason);
        // The good file loaded before leaves nothing behind.
        EXPECT_TRUE(!midi.ok() && midi.tracks().empty() && midi.chunks().empty());
        EXPECT_EQ((std::vector<int>{midi.trackCount(), midi.format(), midi.ticksPerQuarter(), midi.tempo()}),
                  (std::vector<int>{0, 0, 0, 500000}));
    }
}

TEST(MidiFile, LoadsFiles)
{
    const tunedeck::test::TempDir dir;
    const std::string good = dir.file("good.mid");
    ASSERT_TRUE(twoTracks().save(good));
    const std::string big = dir.file("big.mid");
    std::ofstream(big, std::ios::binary) << "MThd";
    std::filesystem::resize_file(big, MidiFile::MaxFileSize + 1);

    MidiFile midi;
    ASSERT_TRUE(midi.load(good));
    EXPECT_EQ(midi.tempo(), 600000);
    EXPECT_EQ(noteOns(midi), (Texts{"", "0:60"}));

    EXPECT_EQ(reasonOf(midi.load(big)), "file is larger than 32 MiB");
    EXPECT_NE(reasonOf(midi.load(dir.file("missing.mid"))).find("No such file"), std::string::npos);
    EXPECT_NE(reasonOf(midi.load(dir.path())), "");
    EXPECT_NE(reasonOf(midi.load("")), "");
    EXPECT_EQ(midi.trackCount(), 0);
    EXPECT_TRUE(midi.load(good));
}

// Speed is the benchmark's business; here only that a large file reads completely.
TEST(MidiFile, ReadsALargeFileCompletely)
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
    ASSERT_TRUE(midi.loadFromBytes(bytes));
    EXPECT_EQ(midi.trackCount(), 9);
    EXPECT_EQ(midi.tracks()[8].events.size(), std::size_t(16001));
}
