// A seek in a play of a generated 64,000-event file: the library and the profile tracker
// rebuilt from the notes before the point, as the play does before it goes on. The play
// list is composed when the play starts, so it is not part of a seek. Target: 50 ms.
#include "qt/binding/tonalytelibrary.h"
#include "core/fastdetect/openfile.h"
#include "core/profile/profiletracker.h"
#include "core/playback/playlist.h"
#include "core/playback/seekrebuild.h"

#include "benchfiles.h"
#include "midiwriter.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <random>

using namespace tunedeck;

namespace {

TonalyteLibrary &library()
{
    static TonalyteLibrary lib{QStringLiteral(TONALYTE_BENCH_LIBRARY)};
    return lib;
}

// Four voices over a few keys with modulations: 64,000 note events, about 8 minutes.
const std::vector<SentNote> &generatedPlay()
{
    static const std::vector<SentNote> notes = [] {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("generated.mid")).toStdString();
        bench::modulatingFile().save(path);
        OpenFile file;
        if (!file.open(path))
            return std::vector<SentNote>{};
        const TrackChoice all{true, 0};
        const auto range = file.tracks(all);
        return sentNotes(buildPlayList(file.midi(), *range, true, file.msPerTick()));
    }();
    return notes;
}

// Arg: where the seek lands, in per cent of the play.
void BM_SeekRebuild64000Events(benchmark::State &state)
{
    const auto &notes = generatedPlay();
    if (notes.empty()) {
        state.SkipWithError("the generated file did not open");
        return;
    }
    const std::int64_t to = notes.back().ms * state.range(0) / 100 + 1;
    std::size_t fed = 0;
    for (auto _ : state) {
        profile::ProfileTracker tracker;
        const RebuiltState s =
            rebuildLiveState(library(), notes, to, false, [&tracker](const SentNote &n, std::int32_t) { tracker.note(n.ms, n.note); });
        benchmark::DoNotOptimize(tracker.readingAt(to));
        fed = s.next;
    }
    state.counters["events"] = double(notes.size());
    state.counters["fed"] = double(fed);
}
BENCHMARK(BM_SeekRebuild64000Events)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
