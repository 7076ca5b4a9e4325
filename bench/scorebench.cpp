// A score read and analysed against the same piece as a MIDI file: the whole fast run
// (reader, the library's feed, the profile analysis and the chords). The score's cost over
// the MIDI file's is the reading of the XML (and unpacking of .mxl) and its writing as MIDI.
// Target: a score in at most twice the MIDI file's time. The analysis written back into the
// score (BM_Annotate*) against its analysis: target at most a tenth of it.
//   tunedeck_score_bench [--benchmark_filter=...]  (a set of the shared scores when there)
//   --benchmark_repetitions=10 --benchmark_report_aggregates_only=true adds each one's least time
#include "core/analysis/fileanalysis.h"
#include "core/annotate/annotatedscore.h"
#include "core/fastdetect/openfile.h"
#include "core/score/layout.h"
#include "core/score/scoredocument.h"
#include "core/score/scorefile.h"
#include "core/score/scoremidi.h"
#include "core/score/scorespelling.h"
#include "core/score/scorereader.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace tunedeck;

namespace {

// Four parts of 300 measures of 4/4 in quarters and eighths over a few keys: about 7,000 notes.
const std::string &generatedScore()
{
    static const std::string text = [] {
        std::mt19937 rng(11);
        const char *steps = "CDEFGAB";
        std::string out = "<?xml version=\"1.0\"?><score-partwise><part-list>";
        for (int p = 0; p < 4; ++p)
            out += "<score-part id=\"P" + std::to_string(p) + "\"><part-name>Voice</part-name></score-part>";
        out += "</part-list>";
        for (int p = 0; p < 4; ++p) {
            out += "<part id=\"P" + std::to_string(p) + "\">";
            for (int m = 0; m < 300; ++m) {
                out += "<measure number=\"" + std::to_string(m + 1) + "\">";
                if (m == 0)
                    out += "<attributes><divisions>2</divisions><key><fifths>1</fifths></key><time><beats>4</beats>"
                           "<beat-type>4</beat-type></time></attributes>";
                for (int filled = 0; filled < 8;) {
                    const int length = std::min(8 - filled, 1 + int(rng() % 2));
                    out += "<note><pitch><step>" + std::string(1, steps[rng() % 7]) + "</step>"
                           + (rng() % 5 == 0 ? "<alter>1</alter>" : "") + "<octave>" + std::to_string(2 + p)
                           + "</octave></pitch><duration>" + std::to_string(length) + "</duration><voice>1</voice>"
                           "<type>eighth</type></note>";
                    filled += length;
                }
                out += "</measure>";
            }
            out += "</part>";
        }
        return out + "</score-partwise>";
    }();
    return text;
}

// Shared scores of each kind: lieder with lyrics and layout (the two largest among them), a
// textbook example, a chorale and a madrigal.
constexpr const char *SharedSet[] = {
    "corpus-wir/Lieder-Schubert_Franz-Schwanengesang_D_957-06_In_der_Ferne.mxl",
    "corpus-wir/Lieder-Schubert_Franz-Schwanengesang_D_957-07_Abschied.mxl",
    "corpus-wir/Lieder-Wolf_Hugo-Eichendorff_Lieder-20_Waldmadchen.mxl",
    "corpus-wir/Lieder-Brahms_Johannes-Marienlieder_Op_22-1_Der_englische_Gruss.mxl",
    "corpus-wir/Textbooks-Reger_Max-Modulation-56.mxl",
    "training-wir/Early_Choral-Bach_Johann_Sebastian-Chorales-001.mxl",
    "training-wir/Early_Choral-Monteverdi_Claudio-Madrigals_Book_3-01.mxl",
};

std::string sharedScore(const std::string &path)
{
    std::ifstream in(std::string(TUNEDECK_SHARED_DIR) + "/scores/" + path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The least time of the repetitions, steadier than the mean on a shared machine.
double least(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }

enum class Timed { Analysis, Annotation };

// The analysis of `bytes` timed, or its writing back into the score: that analysis made once,
// keeping the score's places as tunedeck-detect --write-musicxml does (without them, the score
// is read again).
void timed(benchmark::State &state, const std::string &bytes, Timed what, bool keepPlaces)
{
    if (bytes.empty()) {
        state.SkipWithError("no shared scores");
        return;
    }
    LinkedTonalyte engine;
    AnalysisChoices choices;
    choices.withScorePlaces = keepPlaces;
    if (what == Timed::Analysis) {
        for (auto _ : state) {
            const FileAnalysis a = analyseBytes(engine, bytes, choices);
            benchmark::DoNotOptimize(a.run.keyCode);
        }
        return;
    }
    const FileAnalysis a = analyseBytes(engine, bytes, choices);
    for (auto _ : state) {
        const Result<std::string> written = annotate::annotatedScore(bytes, a, {});
        benchmark::DoNotOptimize(written);
    }
}

void analyse(benchmark::State &state, const std::string &bytes, bool keepPlaces = false)
{
    timed(state, bytes, Timed::Analysis, keepPlaces);
}

void annotate(benchmark::State &state, const std::string &bytes, bool keepPlaces = true)
{
    timed(state, bytes, Timed::Annotation, keepPlaces);
}

std::string asMidi(const std::string &score)
{
    const Result<score::Score> read = score::readScore(score, {});
    return read ? score::midiBytes(*read) : std::string();
}

void BM_GeneratedScore(benchmark::State &state) { analyse(state, generatedScore()); }
void BM_GeneratedAsMidi(benchmark::State &state) { analyse(state, asMidi(generatedScore())); }
const std::string &lied()
{
    static const std::string bytes = sharedScore(SharedSet[0]);
    return bytes;
}
void BM_AnnotateGenerated(benchmark::State &state) { annotate(state, generatedScore()); }
void BM_AnnotateShared(benchmark::State &state) { annotate(state, lied()); }
void BM_AnnotateSharedReadAgain(benchmark::State &state) { annotate(state, lied(), false); }
void BM_SharedScoreKeepingPlaces(benchmark::State &state) { analyse(state, lied(), true); }
void BM_ReadOnly(benchmark::State &state)
{
    const std::string &text = generatedScore();
    for (auto _ : state)
        benchmark::DoNotOptimize(score::readScore(text, {}));
}

// The lied's reading step by step, to see where a score's time over its MIDI file's goes:
// unpacking, reading the parts' elements, the layout, its writing as MIDI and the spelling
// kept beside it, and opening it against opening its MIDI file (the parse: Shared/.../parse).
enum class Step { Unpack, Parts, Layout, Midi, Spelling, OpenScore, OpenMidi };
void BM_LiedStep(benchmark::State &state, Step step)
{
    const std::string text = score::scoreText(lied());
    const Result<score::Score> read = score::readScore(lied(), {});
    const std::string midi = score::midiBytes(*read);
    const score::ScoreDocument document = score::parseScore(text);
    const std::vector<score::PartSource> sources = score::partsOf(*document.document);
    std::vector<score::ReadPart> parts;
    for (const score::PartSource &source : sources)
        parts.push_back({source.id, source.name, 0, false, score::readPart(source.node, source.instruments)});
    for (auto _ : state) {
        switch (step) {
        case Step::Unpack: benchmark::DoNotOptimize(score::scoreText(lied())); break;
        case Step::Parts:
            for (const score::PartSource &source : sources)
                benchmark::DoNotOptimize(score::readPart(source.node, source.instruments));
            break;
        case Step::Layout: benchmark::DoNotOptimize(score::layOut(parts, false)); break;
        case Step::Midi: benchmark::DoNotOptimize(score::midiBytes(*read)); break;
        case Step::Spelling: benchmark::DoNotOptimize(score::spellingOf(*read)); break;
        case Step::OpenScore: benchmark::DoNotOptimize(OpenFile().openBytes(lied())); break;
        case Step::OpenMidi: benchmark::DoNotOptimize(OpenFile().openBytes(midi)); break;
        }
    }
}

void readOnly(benchmark::State &state, const std::string &bytes)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(score::readScore(bytes, {}));
}

// The text is copied outside the timing: parsing in place writes into it.
void parseOnly(benchmark::State &state, const std::string &bytes)
{
    const std::string text = bytes.empty() ? std::string() : score::scoreText(bytes);
    for (auto _ : state) {
        state.PauseTiming();
        std::string copy = text;
        state.ResumeTiming();
        benchmark::DoNotOptimize(score::parseScore(std::move(copy)));
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_LiedStep, unpack, Step::Unpack)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK_CAPTURE(BM_LiedStep, parts, Step::Parts)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK_CAPTURE(BM_LiedStep, layout, Step::Layout)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK_CAPTURE(BM_LiedStep, midi, Step::Midi)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK_CAPTURE(BM_LiedStep, spelling, Step::Spelling)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK_CAPTURE(BM_LiedStep, openScore, Step::OpenScore)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK_CAPTURE(BM_LiedStep, openMidi, Step::OpenMidi)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(BM_GeneratedScore)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(BM_GeneratedAsMidi)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(BM_AnnotateGenerated)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(BM_AnnotateShared)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(BM_AnnotateSharedReadAgain)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);
BENCHMARK(BM_SharedScoreKeepingPlaces)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", least);

int main(int argc, char **argv)
{
    // Each shared score beside its MIDI file, named by the score's file name.
    for (const char *path : SharedSet) {
        const std::string name = std::filesystem::path(path).stem().string();
        const std::string bytes = sharedScore(path);
        const std::string midi = bytes.empty() ? std::string() : asMidi(bytes);
        benchmark::RegisterBenchmark(("Shared/" + name + "/score").c_str(),
                                     [bytes](benchmark::State &state) { analyse(state, bytes); })
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", least);
        benchmark::RegisterBenchmark(("Shared/" + name + "/midi").c_str(),
                                     [midi](benchmark::State &state) { analyse(state, midi); })
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", least);
        // Its reading alone, and of that the XML's parse (the floor a tree of the whole text sets).
        benchmark::RegisterBenchmark(("Shared/" + name + "/read").c_str(),
                                     [bytes](benchmark::State &state) { readOnly(state, bytes); })
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", least);
        benchmark::RegisterBenchmark(("Shared/" + name + "/parse").c_str(),
                                     [bytes](benchmark::State &state) { parseOnly(state, bytes); })
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", least);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
