// The shared material, when it is there: every file of the MusicXML test suite read or
// refused with a reason, and the scores behind the shared MIDI sets against those files.
#include "core/midi/midifile.h"
#include "core/midi/noteevents.h"
#include "core/score/scoremidi.h"
#include "core/score/scorereader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace tunedeck::score {
namespace {

namespace fs = std::filesystem;
const fs::path Shared = TUNEDECK_SHARED_DIR;

std::string bytesOf(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> filesIn(const fs::path &folder, const std::string &extension)
{
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(folder, ec))
        if (entry.path().extension() == extension)
            out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

using Onsets = std::map<std::pair<std::int64_t, int>, int>; // (tick, pitch) to how many

Onsets midiOnsets(const std::string &bytes)
{
    MidiFile file;
    Onsets out;
    if (!file.loadFromBytes(bytes))
        return out;
    std::vector<NoteEvent> events;
    (void)gatherNoteEvents(file, 1, file.trackCount(), false, events);
    for (const NoteEvent &e : events)
        if (e.on)
            ++out[{e.tick, e.note}];
    return out;
}

// The suite's files a reader cannot take as written, and why.
const std::map<std::string, std::string> refusedInSuite = {
    {"11b-TimeSignatures-NoTime.xml", "part P1, measure 1: a backup goes back before the measure's start"},
};

TEST(SharedScores, EveryTestSuiteFileIsReadOrRefusedWithAReason)
{
    const std::vector<fs::path> files = filesIn(Shared / "scores/musicxml-testsuite", ".xml");
    if (files.empty())
        GTEST_SKIP() << "no shared MusicXML test suite";
    for (const fs::path &path : filesIn(Shared / "scores/musicxml-testsuite", ".mxl")) {
        const Result<Score> score = readScore(bytesOf(path), {});
        EXPECT_TRUE(score) << path.filename() << ": " << score.error().reason;
    }
    for (const fs::path &path : files) {
        const std::string bytes = bytesOf(path);
        EXPECT_TRUE(looksLikeScore(bytes)) << path.filename();
        const auto refused = refusedInSuite.find(path.filename().string());
        for (bool unfold : {false, true}) {
            const Result<Score> score = readScore(bytes, {unfold});
            if (refused != refusedInSuite.end()) {
                EXPECT_EQ(score ? std::string("read") : score.error().reason, refused->second) << path.filename();
                continue;
            }
            ASSERT_TRUE(score) << path.filename() << ": " << score.error().reason;
            // What the MIDI reader makes of the score holds every note of it.
            std::size_t notes = 0;
            for (const Part &part : score->parts)
                notes += part.notes.size();
            std::size_t sounded = 0;
            for (const auto &[at, n] : midiOnsets(midiBytes(*score)))
                sounded += std::size_t(n);
            EXPECT_EQ(sounded, notes) << path.filename();
        }
    }
}

struct Comparison {
    std::size_t midiNotes = 0;
    std::size_t matched = 0;
    std::size_t transposed = 0;
    std::vector<std::string> worst;
};

Comparison compareWithMidi(const fs::path &scores, const fs::path &midis)
{
    Comparison out;
    for (const fs::path &score : filesIn(scores, ".mxl")) {
        const fs::path midi = midis / score.filename().replace_extension(".mid");
        if (!fs::exists(midi))
            continue;
        const Onsets expected = midiOnsets(bytesOf(midi));
        const Result<Score> read = readScore(bytesOf(score), {});
        // Some of the MIDI files were transposed as a whole after they were written (14
        // chorales, by 1 to 5 semitones): those are compared at the interval that matches most.
        std::size_t total = 0, same = 0;
        int best = 0;
        for (int shift = -6; shift <= 6; ++shift) {
            Onsets got;
            if (read)
                for (const Part &part : read->parts)
                    for (const Note &n : part.notes)
                        ++got[{n.tick, n.pitch + shift}];
            std::size_t matched = 0;
            total = 0;
            for (const auto &[at, n] : expected) {
                total += std::size_t(n);
                const auto found = got.find(at);
                matched += found == got.end() ? 0 : std::size_t(std::min(n, found->second));
            }
            if (matched > same) {
                same = matched;
                best = shift;
            }
        }
        out.transposed += best != 0 ? 1 : 0;
        out.midiNotes += total;
        out.matched += same;
        if (same < total)
            out.worst.push_back(score.filename().string() + ": " + std::to_string(total - same) + " of "
                                + std::to_string(total) + (read ? "" : " (" + read.error().reason + ")"));
    }
    return out;
}

TEST(SharedScores, NotesMatchTheMidiFilesMadeFromThem)
{
    Comparison all;
    for (const auto &[scores, midis] : {std::pair{"scores/corpus-wir", "corpus/wir"}, {"scores/training-wir", "training/wir"}}) {
        const Comparison one = compareWithMidi(Shared / scores, Shared / midis);
        all.midiNotes += one.midiNotes;
        all.matched += one.matched;
        all.transposed += one.transposed;
        all.worst.insert(all.worst.end(), one.worst.begin(), one.worst.end());
    }
    if (all.midiNotes == 0)
        GTEST_SKIP() << "no shared scores with their MIDI files";
    std::ostringstream differing;
    for (const std::string &line : all.worst)
        differing << line << '\n';
    RecordProperty("matched", std::to_string(all.matched) + " of " + std::to_string(all.midiNotes));
    EXPECT_GE(double(all.matched), 0.99 * double(all.midiNotes)) << differing.str();
    std::cout << "notes with the MIDI file's pitch and onset: " << all.matched << " of " << all.midiNotes << " ("
              << all.worst.size() << " files differ, " << all.transposed << " MIDI files transposed)\n" << differing.str();
}

} // namespace
} // namespace tunedeck::score
