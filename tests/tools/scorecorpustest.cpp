// The scoring tools reading a set's files from their scores: a score stands for the MIDI file
// of its name, read through the open-file step, with the set's annotations applied as they
// are; on files whose notes agree the figures are the MIDI file's.
#include "chordscore/chordcorpus.h"
#include "chordscore/chordrun.h"
#include "keyscore/corpus.h"

#include "core/score/scoremidi.h"
#include "core/score/scorereader.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <tuple>

using namespace tunedeck;
namespace fs = std::filesystem;

namespace {

const fs::path Shared = TUNEDECK_SHARED_DIR;

// Two measures in C major: C E G held, then G B D F with the bass on G, a quarter each.
const std::string CadenceScore = R"(<?xml version="1.0"?>
<score-partwise version="4.0"><part-list><score-part id="P1"><part-name>Piano</part-name></score-part></part-list>
<part id="P1"><measure number="1"><attributes><divisions>1</divisions><key><fifths>0</fifths></key>
<time><beats>4</beats><beat-type>4</beat-type></time></attributes><sound tempo="90"/>
<note><pitch><step>C</step><octave>4</octave></pitch><duration>4</duration></note>
<note><chord/><pitch><step>E</step><octave>4</octave></pitch><duration>4</duration></note>
<note><chord/><pitch><step>G</step><octave>4</octave></pitch><duration>4</duration></note></measure>
<measure number="2"><note><pitch><step>G</step><octave>3</octave></pitch><duration>4</duration></note>
<note><chord/><pitch><step>B</step><octave>3</octave></pitch><duration>4</duration></note>
<note><chord/><pitch><step>D</step><octave>4</octave></pitch><duration>4</duration></note>
<note><chord/><pitch><step>F</step><octave>4</octave></pitch><duration>4</duration></note></measure>
</part></score-partwise>)";

void write(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string midiOf(const std::string &score)
{
    const Result<score::Score> read = score::readScore(score, {});
    EXPECT_TRUE(read);
    return read ? score::midiBytes(*read) : std::string();
}

// A set "wir" of three MIDI files with their labels, local keys and chords, and a folder of
// scores: cadence's, from which its MIDI file was made; damaged's, which is no score; none for
// unscored.
class ScoreCorpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("scorecorpus-" + std::to_string(::getpid()));
        fs::remove_all(root);
        set = root / "wir";
        scores = root / "scores";
        fs::create_directories(set);
        fs::create_directories(scores);
        for (const char *name : {"cadence", "damaged", "unscored"})
            write(set / (std::string(name) + ".mid"), midiOf(CadenceScore));
        write(scores / "cadence.musicxml", CadenceScore);
        write(scores / "damaged.mxl", std::string("PK\x03\x04", 4) + "META-INF/container.xml and no more");
        std::string labels = "file\tkey\tkeycode\tnregions\tgenre\tsource\n", keys = "file\tstart_tick\tend_tick\tkeycode\tkey\n",
                    chords = "file\tstart_tick\tend_tick\tlabel\troman\tkeycode\n";
        for (const char *name : {"cadence.mid", "damaged.mid", "unscored.mid"}) {
            labels += std::string(name) + "\tC major\t160\t1\tTextbooks\tCorpus/Textbooks/A/B/c.txt\n";
            keys += std::string(name) + "\t0\t3840\t160\tC major\n";
            chords += std::string(name) + "\t0\t1920\tC:maj\tI\t160\n" + name + "\t1920\t3840\tG:7\tV7\t160\n";
        }
        write(set / "labels.tsv", labels);
        write(set / "localkeys.tsv", keys);
        write(set / "chords.tsv", chords);
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root, set, scores;
};

TEST_F(ScoreCorpus, ReadsAFileFromItsScoreAsFromTheMidiFileMadeOfIt)
{
    std::vector<std::string> midiWarnings, scoreWarnings;
    const std::vector<keyscore::CorpusFile> midi = keyscore::loadSet(set, midiWarnings);
    const std::vector<keyscore::CorpusFile> fromScores = keyscore::loadSet(set, scoreWarnings, {scores});
    ASSERT_EQ(midi.size(), 3u);
    ASSERT_EQ(fromScores.size(), 1u);
    const keyscore::CorpusFile &a = midi.front(), &b = fromScores.front();
    EXPECT_EQ(b.name, "cadence.mid");
    EXPECT_EQ(b.keyCode, 160);
    EXPECT_EQ(b.group, a.group);
    ASSERT_EQ(b.regions.size(), 1u);
    EXPECT_EQ(b.regions.front().span.end, 3840);
    EXPECT_EQ(b.events, a.events);
    EXPECT_EQ(b.events.size(), 14u);
    EXPECT_EQ(b.ticksPerQuarter, 480);
    EXPECT_EQ(b.msPerTick, a.msPerTick);
    EXPECT_EQ(b.secondTicks, a.secondTicks);
    EXPECT_EQ(b.minutes, a.minutes);
    ASSERT_EQ(b.sounding.size(), 1u);
    EXPECT_EQ(b.sounding.front().end, 3840);
    EXPECT_TRUE(midiWarnings.empty());
}

TEST_F(ScoreCorpus, SaysWhyAScoreIsRefusedAndCountsTheFilesWithoutOne)
{
    std::vector<std::string> warnings;
    keyscore::loadSet(set, warnings, {scores});
    EXPECT_EQ(warnings, (std::vector<std::string>{"wir/damaged.mid: its score damaged.mxl: it is a damaged zip archive",
                                                  "wir: 1 files without a score, left out"}));
}

TEST_F(ScoreCorpus, MovesAScoreToItsMidiFileTransposedAfterWriting)
{
    // The MIDI file sounds a tone higher than the score it was made from; its annotations too.
    std::string higher = CadenceScore;
    higher.replace(higher.find("</attributes>"), 0, "<transpose><diatonic>1</diatonic><chromatic>2</chromatic></transpose>");
    write(set / "cadence.mid", midiOf(higher));
    std::vector<std::string> midiWarnings, scoreWarnings;
    const std::vector<keyscore::CorpusFile> midi = keyscore::loadSet(set, midiWarnings);
    const std::vector<keyscore::CorpusFile> fromScores = keyscore::loadSet(set, scoreWarnings, {scores});
    ASSERT_EQ(fromScores.size(), 1u);
    EXPECT_EQ(fromScores.front().events, midi.front().events);
    EXPECT_EQ(scoreWarnings.front(),
              "wir/cadence.mid: the MIDI file sounds 2 semitones from its score; the score moved with it, as the "
              "annotations are");
}

TEST(ScoreShift, FindsTheIntervalUnderWhichMostMidiOnsetsMeetTheScore)
{
    // Four onsets of a score: C E G at tick 0, D at 480.
    const auto events = [](int shift, int moved) {
        std::vector<NoteEvent> out;
        const std::pair<std::int32_t, int> notes[] = {{0, 60}, {0, 64}, {0, 67}, {480, 62}};
        for (int i = 0; i < 4; ++i) {
            const int note = notes[i].second + (i < moved ? shift : 0);
            out.push_back({notes[i].first, std::uint8_t(note), 80, true, 0, 2});
            out.push_back({notes[i].first + 480, std::uint8_t(note), 0, false, 0, 2});
        }
        return out;
    };
    const struct {
        const char *what;
        std::vector<NoteEvent> midi;
        int expected;
    } cases[] = {
        {"the same notes", events(0, 4), 0},
        {"all a tone up", events(2, 4), 2},
        {"all a fourth down", events(-5, 4), -5},
        {"three of four a minor third up", events(3, 3), 3},
        {"half a tone up: no more than half", events(2, 2), 0},
        {"one an octave up", events(12, 1), 0},
        {"no notes", {}, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(keyscore::shiftToMidi(events(0, 4), c.midi), c.expected) << c.what;
}

TEST_F(ScoreCorpus, TakesTheSetFolderItselfAsItsParent)
{
    std::vector<std::string> fromSet, fromRoot;
    EXPECT_EQ(keyscore::loadCorpus(set, fromSet, {scores}).size(), 1u);
    EXPECT_EQ(keyscore::loadCorpus(root, fromRoot, {scores}).size(), 1u);
    EXPECT_EQ(fromSet, fromRoot);
}

TEST_F(ScoreCorpus, FindsTheScoreInTheFirstFolderHoldingOneAndMxlFirst)
{
    const fs::path other = root / "other";
    fs::create_directories(other);
    write(other / "cadence.mxl", "");
    write(other / "unscored.xml", "");
    write(other / "unscored.musicxml", "");
    const struct {
        const char *midi;
        keyscore::ScoreFolders folders;
        fs::path expected;
    } cases[] = {
        {"cadence.mid", {scores, other}, scores / "cadence.musicxml"},
        {"cadence.mid", {other, scores}, other / "cadence.mxl"},
        {"unscored.mid", {scores, other}, other / "unscored.musicxml"},
        {"unscored.mid", {scores}, {}},
        {"cadence.mid", {}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(keyscore::scoreFor(c.midi, c.folders), c.expected) << c.midi << " in " << c.folders.size();
}

TEST_F(ScoreCorpus, ScoresTheChordsOfAScoreAsThoseOfItsMidiFile)
{
    std::vector<std::string> warnings;
    std::vector<chordscore::ChordFile> midi = chordscore::loadChordFiles({set}, true, warnings);
    std::vector<chordscore::ChordFile> fromScores = chordscore::loadChordFiles({set}, true, warnings, {scores});
    ASSERT_EQ(midi.size(), 3u);
    ASSERT_EQ(fromScores.size(), 1u);
    // No line for the chords of files without a score: their count says it once.
    EXPECT_EQ(warnings, (std::vector<std::string>{"wir/damaged.mid: its score damaged.mxl: it is a damaged zip archive",
                                                  "wir: 1 files without a score, left out",
                                                  (set / "damaged.mid").string() + ": chords for a file not in labels.tsv or not read"}));
    const auto figures = [](const chordscore::ChordFile &f) {
        const chordscore::FileScore s = chordscore::scoreFile(
            f, chordscore::estimateRows(chordscore::analyseFile(f.file, chordscore::firstCut({})).segments));
        return std::tuple(s.chords->accuracy, s.romans.key, s.romans.roman);
    };
    EXPECT_EQ(figures(fromScores.front()), figures(midi.front()));
    EXPECT_EQ(std::get<0>(figures(fromScores.front()))[0], 1.0); // held chords: both roots found
}

// The shared sets: every file with a score read from it, and where its notes are the MIDI
// file's, its chord figures the MIDI file's.
TEST(SharedScoreCorpus, ReadsEveryScoredPieceAndScoresAgreeingOnesAlike)
{
    int checked = 0;
    for (const auto &[midis, scores] : {std::pair{"corpus/wir", "scores/corpus-wir"}, {"training/wir", "scores/training-wir"}}) {
        if (!fs::is_directory(Shared / scores) || !fs::exists(Shared / midis / "chords.tsv"))
            continue;
        std::vector<std::string> warnings;
        const std::vector<chordscore::ChordFile> midi = chordscore::loadChordFiles({Shared / midis}, true, warnings);
        const std::vector<chordscore::ChordFile> fromScores =
            chordscore::loadChordFiles({Shared / midis}, true, warnings, {Shared / scores});
        std::size_t withScore = 0;
        for (const chordscore::ChordFile &f : midi)
            withScore += !keyscore::scoreFor(f.file.name, {Shared / scores}).empty();
        ASSERT_EQ(fromScores.size(), withScore) << midis;
        ASSERT_GT(withScore, 300u) << midis;
        int agreeing = 0;
        for (std::size_t i = 0, j = 0; i < midi.size() && j < fromScores.size() && agreeing < 4; ++i) {
            if (midi[i].file.name != fromScores[j].file.name)
                continue;
            const chordscore::ChordFile &a = midi[i], &b = fromScores[j++];
            const auto notes = [](const keyscore::CorpusFile &f) {
                std::vector<std::tuple<std::int32_t, int, bool>> out;
                for (const NoteEvent &e : f.events)
                    out.emplace_back(e.tick, e.note, e.on);
                std::sort(out.begin(), out.end());
                return out;
            };
            if (notes(a.file) != notes(b.file) || a.file.msPerTick != b.file.msPerTick)
                continue;
            ++agreeing;
            const chordscore::ChordModel model = chordscore::firstCut({});
            const chordscore::FileScore x = scoreFile(a, chordscore::estimateRows(analyseFile(a.file, model).segments));
            const chordscore::FileScore y = scoreFile(b, chordscore::estimateRows(analyseFile(b.file, model).segments));
            ASSERT_TRUE(x.chords && y.chords) << a.file.name;
            EXPECT_EQ(y.chords->accuracy, x.chords->accuracy) << a.file.name;
            EXPECT_EQ(y.romans.key, x.romans.key) << a.file.name;
            EXPECT_EQ(y.romans.roman, x.romans.roman) << a.file.name;
        }
        EXPECT_EQ(agreeing, 4) << midis;
        checked += agreeing;
    }
    if (checked == 0)
        GTEST_SKIP() << "no shared scores with their annotated MIDI files";
}

} // namespace
