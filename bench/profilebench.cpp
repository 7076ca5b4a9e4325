// The profile analysis alone, on a generated stream of 64,000 note events: the whole
// analysis from the events, the intake alone, and live use (analysed again as events come).
#include "core/midi/midifile.h"
#include "core/midi/noteevents.h"
#include "core/profile/profileanalysis.h"

#include "midiwriter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

using namespace tunedeck;
using namespace tunedeck::profile;

namespace {

constexpr int Tpq = 480;

// Four voices over a few keys with modulations, as the pipeline benchmark's file: 8,000
// notes each, so 64,000 note events in feed order.
const std::vector<NoteEvent> &generatedEvents()
{
    static const std::vector<NoteEvent> events = [] {
        std::vector<NoteEvent> out;
        std::mt19937 rng(7);
        const int major[7] = {0, 2, 4, 5, 7, 9, 11};
        const int tonics[4] = {0, 7, 2, 9};
        for (int voice = 0; voice < 4; ++voice) {
            std::int32_t tick = 0;
            for (int n = 0; n < 8000; ++n) {
                const int key = 36 + 12 * voice + tonics[(n / 500) % 4] + major[rng() % 7];
                const std::int32_t length = 120 * (1 + std::int32_t(rng() % 4));
                out.push_back({tick, std::uint8_t(key), std::uint8_t(60 + rng() % 60), true, std::uint8_t(voice), voice + 2});
                out.push_back({tick + length, std::uint8_t(key), 0, false, std::uint8_t(voice), voice + 2});
                tick += length;
            }
        }
        std::stable_sort(out.begin(), out.end(), [](const NoteEvent &a, const NoteEvent &b) { return a.tick < b.tick; });
        return out;
    }();
    return events;
}

void BM_AnalyseKeys64000Events(benchmark::State &state)
{
    const auto &events = generatedEvents();
    for (auto _ : state)
        benchmark::DoNotOptimize(analyseProfile(events, Tpq, 4 * Tpq));
    state.counters["events/s"] = benchmark::Counter(double(events.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AnalyseKeys64000Events)->Unit(benchmark::kMillisecond);

void BM_IntakeOnly64000Events(benchmark::State &state)
{
    const auto &events = generatedEvents();
    for (auto _ : state) {
        KeyWorkspace workspace(Tpq);
        workspace.add(events);
        benchmark::DoNotOptimize(workspace.windows().data());
    }
    state.counters["events/s"] = benchmark::Counter(double(events.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_IntakeOnly64000Events)->Unit(benchmark::kMillisecond);

// A live display analysing again after every 1,000 new events.
void BM_LiveEvery1000Events(benchmark::State &state)
{
    const auto &events = generatedEvents();
    for (auto _ : state) {
        ProfileAnalyser live(Tpq);
        std::vector<NoteEvent> soFar;
        soFar.reserve(events.size());
        for (std::size_t i = 0; i < events.size(); i += 1000) {
            soFar.insert(soFar.end(), events.begin() + std::ptrdiff_t(i),
                         events.begin() + std::ptrdiff_t(std::min(i + 1000, events.size())));
            live.update(soFar);
            benchmark::DoNotOptimize(live.analysis(4 * Tpq));
        }
    }
    state.counters["analyses"] = double((events.size() + 999) / 1000);
    state.counters["events/s"] = benchmark::Counter(double(events.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LiveEvery1000Events)->Unit(benchmark::kMillisecond);

// The same notes as a format 1 file: read, gathered from every track, put in feed order and
// analysed, as fast detection will run it beside Tonalyte.
void BM_FileToKeys64000Events(benchmark::State &state)
{
    static const std::string bytes = [] {
        midiwriter::File f(1, Tpq);
        f.addTrack().tempo(500000);
        std::vector<midiwriter::Track *> tracks;
        for (int voice = 0; voice < 4; ++voice)
            tracks.push_back(&f.addTrack());
        for (const NoteEvent &e : generatedEvents()) {
            midiwriter::Track &t = *tracks[std::size_t(e.track - 2)];
            t.at(std::uint64_t(e.tick));
            if (e.on)
                t.noteOn(e.channel, e.note, e.velocity);
            else
                t.noteOff(e.channel, e.note);
        }
        return f.bytes();
    }();
    std::size_t count = 0;
    for (auto _ : state) {
        MidiFile file;
        if (!file.loadFromBytes(bytes)) {
            state.SkipWithError("the generated file did not load");
            break;
        }
        std::vector<NoteEvent> events;
        gatherNoteEvents(file, 2, file.trackCount(), true, events);
        putInFeedOrder(events);
        count = events.size();
        benchmark::DoNotOptimize(analyseProfile(events, file.ticksPerQuarter(), 4 * file.ticksPerQuarter()));
    }
    state.counters["events/s"] = benchmark::Counter(double(count), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FileToKeys64000Events)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
