// The key network over a piece's beat frames, as every analysed file will run it: a pop song
// has some 300 to 1,000 frames, and 1,000 must stay well under 3 ms. Frames like the core's:
// a few pitch classes sounding, the present models' one-hots.
#include "core/keymodel/keynetwork.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace tunedeck::keymodel;

namespace {

std::vector<float> frames(std::size_t count)
{
    std::vector<float> x(count * InputCount, 0.f);
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> share(0.1f, 1.f);
    for (std::size_t t = 0; t < count; ++t) {
        float *f = x.data() + t * InputCount;
        const int root = int(rng() % 12);
        for (const int step : {0, 4, 7, int(rng() % 12)}) {
            const int pc = (root + step) % 12;
            f[pc] += share(rng) / 4;
            f[24 + pc] = share(rng);
        }
        f[12 + root] = 1;
        f[36 + (t / 64) % 24] = 1;                         // the local key
        f[60 + root] = f[73 + rng() % 13] = f[86 + root] = 1; // root, quality, bass
    }
    return x;
}

void BM_KeyNetwork(benchmark::State &state)
{
    const std::size_t count = std::size_t(state.range(0));
    const std::vector<float> x = frames(count);
    for (auto _ : state)
        benchmark::DoNotOptimize(runNetwork(x, count));
    state.SetItemsProcessed(state.iterations() * std::int64_t(count));
}
BENCHMARK(BM_KeyNetwork)->Arg(300)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
