// Writes the fuzzer's seed corpus: small valid files of every shape the reader knows and
// a few damaged ones, into the folder given on the command line.
#include "midiwriter.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using midiwriter::File;

namespace {

// Notes on two channels with a controller and a program change among them.
void addMusic(midiwriter::Track &track, int channel, int notes)
{
    track.programChange(channel, 5).controlChange(channel, 7, 100);
    for (int n = 0; n < notes; ++n)
        track.noteOn(channel, 60 + n % 12, 90).noteOn(9, 36, 80).wait(60).noteOff(channel, 60 + n % 12).noteOn(9, 36, 0);
}

File formatOne()
{
    File file(1, 480);
    file.addTrack().tempo(500000).text("tempo track").meta(0x58, std::string("\x04\x02\x18\x08", 4));
    addMusic(file.addTrack(), 0, 8);
    addMusic(file.addTrack(), 1, 5);
    return file;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
        return 2;
    }
    std::vector<std::pair<std::string, std::string>> seeds;

    File zero(0, 96);
    addMusic(zero.addTrack().tempo(400000), 0, 6);
    seeds.emplace_back("format0", zero.bytes());
    seeds.emplace_back("format1", formatOne().bytes());
    seeds.emplace_back("format1-running", formatOne().runningStatus().bytes());

    File two(2, 192);
    addMusic(two.addTrack(), 2, 3);
    addMusic(two.addTrack().tempo(300000), 3, 3);
    seeds.emplace_back("format2", two.bytes());

    File smpte = formatOne();
    seeds.emplace_back("smpte", smpte.smpte(25, 40).bytes());

    File between(1, 96);
    between.addTrack().noteOn(0, 60, 64).wait(10).text("x").wait(20).sysex("\x7E\x7F\x09\x01\xF7").wait(5)
        .sysex("\x01\x02", 0xF7).noteOn(0, 62, 64).tempo(250000).noteOff(0, 60).noteOff(0, 62);
    between.addTrack().raw(std::string("\x00\x90\x3C\x40\x0A\xFF\x01\x01x\x14\x3E\x40", 12));
    seeds.emplace_back("meta-sysex-between-notes", between.bytes());

    File odd = formatOne();
    odd.headerLength(8).addChunk("XFIH", "unknown chunk");
    odd.addChunk("MTrk", "after the announced tracks");
    odd.announceTracks(3);
    seeds.emplace_back("unknown-chunks", odd.bytes());

    File cut = formatOne();
    seeds.emplace_back("truncated", cut.truncate(cut.bytes().size() - 7).bytes());
    File overlong = formatOne();
    overlong.chunk(1).declareLength(5000);
    seeds.emplace_back("overlong-chunk", overlong.bytes());
    File missing = formatOne();
    seeds.emplace_back("missing-tracks", missing.announceTracks(6).bytes());
    File longDelta(0, 96);
    longDelta.addTrack().wait(0x10000000).noteOn(0, 60, 1);
    seeds.emplace_back("long-delta", longDelta.bytes());
    // One triad held 2^28 ticks at one tick a quarter: 2^26 bars of one chord.
    File held(1, 1);
    held.addTrack().tempo(500000);
    held.addTrack().noteOn(0, 60, 64).noteOn(0, 64, 64).noteOn(0, 67, 64).wait(0x0FFFFFFF).text("").wait(1)
        .noteOff(0, 60).noteOff(0, 64).noteOff(0, 67);
    seeds.emplace_back("held-chord", held.bytes());
    File noStatus(0, 96);
    noStatus.addTrack().raw(std::string("\x00\x3C\x40", 3));
    seeds.emplace_back("no-running-status", noStatus.bytes());

    int failures = 0;
    for (const auto &[name, bytes] : seeds) {
        const std::string path = std::string(argv[1]) + "/" + name + ".mid";
        if (!midiwriter::save(path, bytes)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    std::printf("%zu seeds written to %s\n", seeds.size() - std::size_t(failures), argv[1]);
    return failures ? 1 : 0;
}
