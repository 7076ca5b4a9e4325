// The whole headless fast detection as tunedeck-detect runs it: read the file, gather,
// order, feed, both reports, the profile analysis, and their texts.
#include "core/analysis/analysistexts.h"
#include "core/keymodel/keymodelanalysis.h"
#include "qt/binding/tonalytelibrary.h"

#include "benchfiles.h"
#include "midiwriter.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <random>

using namespace tunedeck;

namespace {

TonalyteLibrary &library()
{
    static TonalyteLibrary lib{QStringLiteral(TONALYTE_BENCH_LIBRARY)};
    return lib;
}

// Four voices over a few keys with modulations: 64,000 note events in all.
QString generatedFile(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("generated.mid"));
    bench::modulatingFile().save(path.toStdString());
    return path;
}

// What a run analyses: Tonalyte alone, with the profile analysis, with the chords too, or with
// the key network's local keys and the chords in them.
enum Analyses { TonalyteOnly, WithProfile, WithChords, WithKeyNetwork };

// One file as tunedeck-detect handles it; the number of note events read.
qint64 detectFile(const QString &path, FileAnalysis &r, int analyses)
{
    const bool profileAnalysis = analyses != TonalyteOnly;
    AnalysisChoices choices;
    choices.withProfile = profileAnalysis;
    choices.withChords = analyses >= WithChords;
    choices.keyNetwork = analyses == WithKeyNetwork;
    keymodel::installKeyModel(); // as the command does
    r = analysePath(library(), path.toStdString(), choices);
    benchmark::DoNotOptimize(formatText(r, labelTexts(r), profileAnalysis));
    return qint64(r.run.events.size());
}

void runFile(benchmark::State &state, const QString &path, int analyses)
{
    qint64 events = 0;
    FileAnalysis r;
    for (auto _ : state)
        events += detectFile(path, r, analyses);
    state.counters["events/file"] = double(r.run.events.size());
    if (r.run.outcome != FastOutcome::Reported)
        state.SkipWithError("the run did not end in its reports");
    state.counters["events/s"] = benchmark::Counter(double(events), benchmark::Counter::kIsRate);
}

// Arg 0: Tonalyte alone, as the text output runs; 1: with the profile analysis; 2: with the
// chords too, as the JSON output runs; 3: with --key-network.
void BM_Generated64000Events(benchmark::State &state)
{
    static QTemporaryDir dir;
    static const QString path = generatedFile(dir);
    runFile(state, path, int(state.range(0)));
}
BENCHMARK(BM_Generated64000Events)->Arg(TonalyteOnly)->Arg(WithProfile)->Arg(WithChords)->Arg(WithKeyNetwork)
    ->Unit(benchmark::kMillisecond);

// Every file of the shared corpus, one after the other, when it is there.
void BM_Corpus(benchmark::State &state)
{
    const QDir corpus(QStringLiteral(TUNEDECK_CORPUS));
    QStringList files;
    for (const QString &sub : corpus.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QString &f : QDir(corpus.filePath(sub)).entryList({QStringLiteral("*.mid")}))
            files << corpus.filePath(sub + QLatin1Char('/') + f);
    if (files.isEmpty()) {
        state.SkipWithError("no shared corpus beside the project");
        return;
    }
    qint64 events = 0, runs = 0;
    double ms = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (const QString &f : files) {
            FileAnalysis r;
            events += detectFile(f, r, int(state.range(0)));
            ++runs;
        }
        ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["events/s"] = benchmark::Counter(double(events), benchmark::Counter::kIsRate);
    state.counters["ms/file"] = ms / double(runs);
    state.counters["files"] = double(files.size());
}
BENCHMARK(BM_Corpus)->Arg(TonalyteOnly)->Arg(WithProfile)->Arg(WithChords)->Arg(WithKeyNetwork)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
