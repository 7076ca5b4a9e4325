// Events per second through KeySetTrkEvsF: a generated piece as the fast mode feeds it,
// and a worst case with 60 notes held and an evaluation on every event.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "tonalyte.h"

namespace {

constexpr int32_t kQuarter = 480;
constexpr int32_t kBar = 4 * kQuarter;
constexpr size_t kTargetEvents = 200000;

struct Event {
    int32_t time, cod, note, vel;
};

struct Note {
    int32_t start, length, note, vel;
};

// splitmix64: the same stream with every compiler and standard library.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int32_t below(int32_t n) { return static_cast<int32_t>(next() % static_cast<uint64_t>(n)); }
    bool percent(int32_t p) { return below(100) < p; }
    int32_t between(int32_t lo, int32_t hi) { return lo + below(hi - lo + 1); }

private:
    uint64_t state_;
};

// In the order the program feeds a tick: note-ons before note-offs, then by note number.
std::vector<Event> ToEvents(const std::vector<Note> &notes) {
    std::vector<Event> events;
    events.reserve(notes.size() * 2);
    for (const Note &n : notes) {
        events.push_back({n.start, 0x90, n.note, n.vel});
        events.push_back({n.start + n.length, 0x80, n.note, 0});
    }
    std::sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
        return std::tuple(a.time, a.cod == 0x80, a.note, a.vel) < std::tuple(b.time, b.cod == 0x80, b.note, b.vel);
    });
    return events;
}

struct Key {
    int32_t tonic = 0;
    bool minor = false;
    // Scale degree (any integer, 7 per octave) to a note number from base upwards.
    int32_t note(int32_t degree, int32_t base) const {
        static const int32_t kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
        static const int32_t kMinor[7] = {0, 2, 3, 5, 7, 8, 11};
        const int32_t octave = degree >= 0 ? degree / 7 : (degree - 6) / 7;
        const int32_t step = degree - 7 * octave;
        return base + tonic + 12 * octave + (minor ? kMinor : kMajor)[step];
    }
};

// Bass, inner chords and a melody in a few keys, modulating every 8 to 16 bars, with
// legato overlaps, bass notes and chords tied over two bars and tonic pedals, so that
// long notes get cut.
std::vector<Event> RealisticStream() {
    Rng rng(0x70A1u);
    std::vector<Note> notes;
    Key key;
    int32_t barsLeftInKey = 12;
    int32_t melodyDegree = 7;
    int32_t tiedUntil = 0;  // chord and bass of a two-bar tie are still sounding
    for (int32_t bar = 0; notes.size() * 2 < kTargetEvents; ++bar) {
        const int32_t t0 = bar * kBar;
        if (--barsLeftInKey == 0) {
            static const int32_t kShift[6] = {5, 7, 3, 9, 2, 10};
            key.tonic = (key.tonic + kShift[rng.below(6)]) % 12;
            key.minor = rng.percent(30);
            barsLeftInKey = rng.between(8, 16);
            notes.push_back({t0, 4 * kBar - 40, key.note(0, 36), 70});  // pedal over the new key
        }
        static const int32_t kProgression[8] = {0, 3, 4, 0, 5, 1, 4, 4};
        const int32_t root = kProgression[rng.below(8)];
        const int32_t vel = rng.between(50, 100);

        if (t0 >= tiedUntil) {
            if (rng.percent(12)) {  // chord and bass tied over two bars
                for (int32_t d : {0, 2, 4})
                    notes.push_back({t0, 2 * kBar - 20, key.note(root + d, 55), vel - 10});
                notes.push_back({t0, 2 * kBar - 20, key.note(root, 40), vel});
                tiedUntil = t0 + 2 * kBar;
            } else {
                const int32_t halves = rng.percent(50) ? 2 : 1;
                for (int32_t h = 0; h < halves; ++h) {
                    const int32_t start = t0 + h * kBar / halves;
                    const int32_t degree = root + (h == 1 ? 3 : 0);
                    for (int32_t d : {0, 2, 4})
                        notes.push_back({start, kBar / halves - 30, key.note(degree + d, 55), vel - 15});
                    notes.push_back({start, kBar / halves - 10, key.note(degree + (h ? 4 : 0), 40), vel});
                }
            }
        }

        for (int32_t t = t0; t < t0 + kBar;) {
            static const int32_t kLengths[6] = {240, 240, 480, 480, 720, 960};
            int32_t length = rng.percent(4) ? 2400 : kLengths[rng.below(6)];
            melodyDegree = std::clamp(melodyDegree + rng.between(-2, 2), 0, 12);
            const int32_t overlap = rng.percent(30) ? 30 : -10;
            notes.push_back({t, length + overlap, key.note(melodyDegree, 60), rng.between(60, 110)});
            t += std::min(length, kBar);
        }
    }
    return ToEvents(notes);
}

// 60 white keys sound from 0 to the end. A short white key every 40 ticks cuts one of
// them (at most 50 were cut in the last 2000 ticks, so one always qualifies) and its
// release adds 20 ticks. Only C major's pitch classes ever get time, so the fit never
// worsens: after the first few events every event is scored, resolved between C major
// and A minor, accepted and counted (the "counted" figure shows it).
std::vector<Event> WorstCaseStream() {
    std::vector<int32_t> white;
    for (int32_t n = 1; n < 128; ++n)
        if ((0xAB5 >> (n % 12)) & 1)  // C D E F G A B
            white.push_back(n);
    std::vector<Note> notes;
    const int32_t steps = static_cast<int32_t>(kTargetEvents / 2) - 60;
    const int32_t end = 2040 + 40 * steps;
    for (size_t i = 0; i < 60; ++i)
        notes.push_back({0, end, white[i], 80});
    const size_t shortCount = white.size() - 60;
    for (int32_t i = 0; i < steps; ++i)
        notes.push_back({2040 + 40 * i, 20, white[60 + static_cast<size_t>(i) % shortCount], 90});
    return ToEvents(notes);
}

void Feed(benchmark::State &state, const std::vector<Event> &events) {
    for (auto _ : state) {
        KeyClearEvs();
        KeySetDetectMode(1);
        KeySetSensitive(1);
        for (const Event &e : events) {
            const int32_t key = KeySetTrkEvsF(e.time, e.cod, e.note, e.vel);
            if (key < 0) {
                state.SkipWithError("an event was rejected");
                return;
            }
            benchmark::DoNotOptimize(key);
        }
    }
    int32_t keys[24], counts[24], timelineKeys[256], times[256];
    state.counters["events"] = static_cast<double>(events.size());
    state.counters["events/s"] =
        benchmark::Counter(static_cast<double>(events.size()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["counted"] = KeyGetKStatic(keys, counts);
    KeyGetKTiming(timelineKeys, times);
    state.counters["regions"] = static_cast<double>(
        std::find_if(std::begin(times), std::end(times), [](int32_t t) { return t < 0; }) - std::begin(times));
}

void BM_RealisticStream(benchmark::State &state) {
    static const std::vector<Event> events = RealisticStream();
    Feed(state, events);
}

void BM_WorstCase60Held(benchmark::State &state) {
    static const std::vector<Event> events = WorstCaseStream();
    Feed(state, events);
}

BENCHMARK(BM_RealisticStream)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstCase60Held)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
