// A score read and analysed against the same piece as a MIDI file: the whole fast run
// (reader, the library's feed, the profile analysis and the chords). The score's cost over
// the MIDI file's is the reading of the XML (and unpacking of .mxl) and its writing as MIDI.
// Target: a score in at most twice the MIDI file's time. The analysis written back into the
// score (BM_Annotate*) against its analysis (BM_*Score): target at most a tenth of it.
//   tunedeck_score_bench [--benchmark_filter=...]  (the shared corpus' Schubert lied when there)
#include "core/analysis/fileanalysis.h"
#include "core/annotate/annotatedscore.h"
#include "core/score/scoremidi.h"
#include "core/score/scorereader.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

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

std::string sharedScore()
{
    std::ifstream in(std::string(TUNEDECK_SHARED_DIR)
                     + "/scores/corpus-wir/Lieder-Schubert_Franz-Schwanengesang_D_957-06_In_der_Ferne.mxl",
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void analyse(benchmark::State &state, const std::string &bytes, bool keepPlaces = false)
{
    if (bytes.empty()) {
        state.SkipWithError("no shared scores");
        return;
    }
    LinkedTonalyte engine;
    AnalysisChoices choices;
    choices.withScorePlaces = keepPlaces;
    for (auto _ : state) {
        const FileAnalysis a = analyseBytes(engine, bytes, choices);
        benchmark::DoNotOptimize(a.run.keyCode);
    }
}

std::string asMidi(const std::string &score)
{
    const Result<score::Score> read = score::readScore(score, {});
    return read ? score::midiBytes(*read) : std::string();
}

void BM_GeneratedScore(benchmark::State &state) { analyse(state, generatedScore()); }
void BM_GeneratedAsMidi(benchmark::State &state) { analyse(state, asMidi(generatedScore())); }
void BM_SharedScore(benchmark::State &state) { analyse(state, sharedScore()); }
void BM_SharedAsMidi(benchmark::State &state) { analyse(state, asMidi(sharedScore())); }
// The analysis made once, keeping the score's places as tunedeck-detect --write-musicxml
// does; only its writing into the score is timed. Without them, the score is read again.
void annotate(benchmark::State &state, const std::string &bytes, bool keepPlaces = true)
{
    if (bytes.empty()) {
        state.SkipWithError("no shared scores");
        return;
    }
    LinkedTonalyte engine;
    AnalysisChoices choices;
    choices.withScorePlaces = keepPlaces;
    const FileAnalysis a = analyseBytes(engine, bytes, choices);
    for (auto _ : state) {
        const Result<std::string> written = annotate::annotatedScore(bytes, a, {});
        benchmark::DoNotOptimize(written);
    }
}
void BM_AnnotateGenerated(benchmark::State &state) { annotate(state, generatedScore()); }
void BM_AnnotateShared(benchmark::State &state) { annotate(state, sharedScore()); }
void BM_AnnotateSharedReadAgain(benchmark::State &state) { annotate(state, sharedScore(), false); }
void BM_SharedScoreKeepingPlaces(benchmark::State &state) { analyse(state, sharedScore(), true); }
void BM_ReadOnly(benchmark::State &state)
{
    const std::string &text = generatedScore();
    for (auto _ : state)
        benchmark::DoNotOptimize(score::readScore(text, {}));
}

} // namespace

BENCHMARK(BM_GeneratedScore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneratedAsMidi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SharedScore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SharedAsMidi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnnotateGenerated)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnnotateShared)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnnotateSharedReadAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SharedScoreKeepingPlaces)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
