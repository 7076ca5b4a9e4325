// The profile tracker on 64,000 generated note events, as a play feeds it: every note as
// it sounds and a reading every second. The live display must stay well under 2 ms a note,
// and a reading (the second's frame closed: filter, chord, recent change) under 2 ms; the
// chord heard in the last second, read as listening reads it, under 1 ms.
#include "core/chords/livechord.h"
#include "core/profile/profiletracker.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

using namespace tunedeck;
using namespace tunedeck::profile;

namespace {

struct TimedNote {
    std::int64_t ms;
    NoteEvent event;
};

// Four voices over a few keys with modulations, 8,000 notes each of 125 to 500 ms: about
// 8 minutes of music, 64,000 note events in time order.
const std::vector<TimedNote> &generatedNotes()
{
    static const std::vector<TimedNote> notes = [] {
        std::vector<TimedNote> out;
        std::mt19937 rng(7);
        const int major[7] = {0, 2, 4, 5, 7, 9, 11};
        const int tonics[4] = {0, 7, 2, 9};
        for (int voice = 0; voice < 4; ++voice) {
            std::int64_t ms = 0;
            for (int n = 0; n < 8000; ++n) {
                const int key = 36 + 12 * voice + tonics[(n / 500) % 4] + major[rng() % 7];
                const std::int64_t length = 125 * (1 + std::int64_t(rng() % 4)) / 2;
                out.push_back({ms, {0, std::uint8_t(key), 90, true, std::uint8_t(voice), voice + 2}});
                out.push_back({ms + length, {0, std::uint8_t(key), 0, false, std::uint8_t(voice), voice + 2}});
                ms += length;
            }
        }
        std::stable_sort(out.begin(), out.end(), [](const TimedNote &a, const TimedNote &b) { return a.ms < b.ms; });
        return out;
    }();
    return notes;
}

void BM_ProfileTracker64000Events(benchmark::State &state)
{
    const auto &notes = generatedNotes();
    for (auto _ : state) {
        ProfileTracker tracker;
        std::int64_t nextSecond = 0;
        for (const TimedNote &n : notes) {
            for (; nextSecond <= n.ms; nextSecond += 1000)
                benchmark::DoNotOptimize(tracker.readingAt(nextSecond));
            tracker.note(n.ms, n.event);
        }
        benchmark::DoNotOptimize(tracker.readingAt(nextSecond));
    }
    state.counters["time/event"] = benchmark::Counter(double(notes.size()), benchmark::Counter::kIsIterationInvariantRate
                                                                               | benchmark::Counter::kInvert,
                                                   benchmark::Counter::OneK::kIs1000);
    state.counters["events"] = double(notes.size());
    // Every second's reading with the notes of that second: what a reading costs at most.
    state.counters["time/reading"] =
        benchmark::Counter(double(notes.back().ms / 1000 + 1),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProfileTracker64000Events)->Unit(benchmark::kMillisecond);

// The chord of the last second at every note as a play feeds them, the notes kept: what a
// live chord reading costs where the most notes sound.
void BM_LiveChordReading(benchmark::State &state)
{
    const auto &notes = generatedNotes();
    std::size_t readings = 0;
    for (auto _ : state) {
        chords::LiveChord live;
        for (const TimedNote &n : notes) {
            live.note(n.ms, n.event);
            benchmark::DoNotOptimize(live.chordAt(n.ms));
        }
        readings = notes.size();
    }
    state.counters["time/reading"] =
        benchmark::Counter(double(readings), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LiveChordReading)->Unit(benchmark::kMillisecond);

} // namespace
