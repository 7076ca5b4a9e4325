// One frame of the piano roll into a 1200x300 image, from a generated play list of 64,000
// events (four voices of 8,000 notes, about 40 minutes, a key change every 500 notes): a
// 20 s window in the middle of the piece, and the whole piece. Also the roll's data built
// from the events and from a file. Run by hand in a Release build: tunedeck_pianoroll_bench; with
// --pictures PREFIX it saves both frames as PREFIX-20s.png and PREFIX-whole.png instead. And the
// chord lane's names chosen over the whole piece.
#include "qt/pianoroll/pianorollpainter.h"
#include "core/pianoroll/rollsources.h"

#include "benchfiles.h"
#include "midiwriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string_view>
#include <utility>

using namespace tunedeck;

namespace {

const std::vector<TimedEvent> &generatedEvents()
{
    static const std::vector<TimedEvent> events = [] {
        std::vector<TimedEvent> out;
        std::mt19937 rng(7);
        const int major[7] = {0, 2, 4, 5, 7, 9, 11};
        const int tonics[4] = {0, 7, 2, 9};
        for (int voice = 0; voice < 4; ++voice) { // track by track, as the play list is
            std::int32_t ms = 0;
            for (int n = 0; n < 8000; ++n) {
                const auto pitch = std::uint8_t(36 + 12 * voice + tonics[(n / 500) % 4] + major[rng() % 7]);
                const std::int32_t length = 125 * (1 + std::int32_t(rng() % 4));
                out.push_back({ms, std::uint8_t(0x90 | voice), pitch, 80, voice + 2});
                out.push_back({ms + length, std::uint8_t(0x80 | voice), pitch, 0, voice + 2});
                ms += length;
            }
        }
        return out;
    }();
    return events;
}

const PianoRollData &generatedRoll()
{
    static const PianoRollData data = [] {
        PianoRollData d = rollFromEvents(generatedEvents());
        const int keys[4] = {160, 167, 162, 69};
        for (std::int32_t ms = 0, i = 0; ms < d.endMs; ms += 62500, ++i)
            d.keys.push_back({ms, std::min(ms + 62500, d.endMs), keys[i % 4], false});
        return d;
    }();
    return data;
}

void drawFrames(benchmark::State &state, RollWindow window)
{
    const PianoRollData &data = generatedRoll();
    QImage image(1200, 300, QImage::Format_ARGB32_Premultiplied);
    const QPalette palette;
    const PianoRollLayout layout = layoutPianoRoll(data, QRectF(0, 0, 1200, 300), window);
    const std::int32_t play = window.fromMs + window.span() / 2;
    for (auto _ : state) {
        QPainter painter(&image);
        paintPianoRoll(painter, data, layout, palette, play);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["notes"] = double(notesIn(data, window.fromMs, window.toMs).size());
}

void BM_PianoRollFrame20s(benchmark::State &state)
{
    const std::int32_t middle = generatedRoll().endMs / 2;
    drawFrames(state, {middle, middle + 20000});
}

void BM_PianoRollFrameWholePiece(benchmark::State &state)
{
    drawFrames(state, wholePiece(generatedRoll().endMs));
}

void BM_PianoRollFromEvents(benchmark::State &state)
{
    const auto &events = generatedEvents();
    for (auto _ : state)
        benchmark::DoNotOptimize(rollFromEvents(events));
}

// The chord lane's names over the whole piece, a chord every second (2,400 of them, inverted
// by turns so that each has a short form): measured and chosen so that none overlaps.
void BM_ChordLaneWholePiece(benchmark::State &state)
{
    PianoRollData data = generatedRoll();
    for (std::int32_t ms = 0, i = 0; ms + 1000 <= data.endMs; ms += 1000, ++i)
        data.chords.push_back({ms, ms + 1000, {(i * 7) % 12, harmony::Quality::Dominant7, i % 2 ? 4 : 0}, 160, {}});
    const QFontMetricsF fm(QGuiApplication::font());
    const PianoRollLayout layout = layoutPianoRoll(data, QRectF(0, 0, 1200, 300), wholePiece(data.endMs), &fm);
    std::size_t named = 0;
    for (auto _ : state) {
        const std::vector<ChordLaneCell> cells = chordLaneCells(data, layout, fm);
        named = std::size_t(std::count_if(cells.begin(), cells.end(), [](const ChordLaneCell &c) { return !c.symbol.isEmpty(); }));
        benchmark::DoNotOptimize(cells.data());
    }
    state.counters["named"] = double(named);
}

// What the window adds to a fast run: the file's play list of the chosen tracks and its
// notes, on the window benchmark's file of 64,000 note events.
void BM_PianoRollOfFile(benchmark::State &state)
{
    const midiwriter::File f = bench::scaleFile();
    OpenFile file;
    if (!file.openBytes(f.bytes())) {
        state.SkipWithError("the generated file did not open");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(rollOfFile(file, TrackChoice{}));
}

} // namespace

BENCHMARK(BM_PianoRollFrame20s)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PianoRollFrameWholePiece)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChordLaneWholePiece)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PianoRollFromEvents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PianoRollOfFile)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts and the default palette
    if (argc == 3 && std::string_view(argv[1]) == "--pictures") { // both frames, to look at
        const PianoRollData &data = generatedRoll();
        const std::int32_t middle = data.endMs / 2;
        for (const auto &[name, window] : {std::pair{"20s", RollWindow{middle, middle + 20000}},
                                           std::pair{"whole", wholePiece(data.endMs)}}) {
            QImage image(1200, 300, QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&image);
            paintPianoRoll(painter, data, layoutPianoRoll(data, QRectF(0, 0, 1200, 300), window), QPalette(),
                           window.fromMs + window.span() / 2);
            painter.end();
            image.save(QStringLiteral("%1-%2.png").arg(QString::fromLocal8Bit(argv[2]), QLatin1String(name)));
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
