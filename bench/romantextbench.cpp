// Writing the analysis as RomanText against the analysis itself, for a shared score (its
// measures as printed) and an example MIDI file (bars of the meter). Target: writing costs at
// most a tenth of the analysis.
//   tunedeck_romantext_bench  (the shared score is skipped when ../shared is absent)
#include "core/romantext/romantext.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

using namespace tunedeck;

namespace {

std::string bytesOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string &sharedScore()
{
    static const std::string bytes =
        bytesOf(std::string(TUNEDECK_SHARED_DIR)
                + "/scores/corpus-wir/Lieder-Schubert_Franz-Schwanengesang_D_957-06_In_der_Ferne.mxl");
    return bytes;
}

const std::string &exampleMidi()
{
    static const std::string bytes = bytesOf(std::string(TUNEDECK_EXAMPLES) + "/twinkle-modulating.mid");
    return bytes;
}

void analysis(benchmark::State &state, const std::string &bytes)
{
    if (bytes.empty()) {
        state.SkipWithError("file not found");
        return;
    }
    LinkedTonalyte engine;
    for (auto _ : state)
        benchmark::DoNotOptimize(analyseBytes(engine, bytes, {}).chords.size());
}

void writing(benchmark::State &state, const std::string &bytes)
{
    if (bytes.empty()) {
        state.SkipWithError("file not found");
        return;
    }
    LinkedTonalyte engine;
    const FileAnalysis a = analyseBytes(engine, bytes, {});
    for (auto _ : state)
        benchmark::DoNotOptimize(romantext::romanText(a, "piece"));
    state.counters["chords"] = double(a.chords.size());
}

void BM_ScoreAnalysis(benchmark::State &state) { analysis(state, sharedScore()); }
void BM_ScoreRomanText(benchmark::State &state) { writing(state, sharedScore()); }
void BM_MidiAnalysis(benchmark::State &state) { analysis(state, exampleMidi()); }
void BM_MidiRomanText(benchmark::State &state) { writing(state, exampleMidi()); }

} // namespace

BENCHMARK(BM_ScoreAnalysis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScoreRomanText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MidiAnalysis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MidiRomanText)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
