// A stand-in for tunedeck-detect in collection runs: the whole run (folders, worker
// processes, CSV or JSON Lines) with the detection replaced by reading the file and
// putting its note events in feed order. The worker pool's tests and the collection
// benchmark run it.
//   collection_fakeworker [--jobs N] [--timeout S] [--format csv|jsonl] files-or-folders...
//   collection_fakeworker --worker     (one answer per request, as the pool starts it)
// Jobs naming "slow" take 300 ms, those naming "crash-me" crash their worker and those
// naming "hang-me" never answer.
#include "fakeanswer.h"

#include "core/batch/filewalk.h"
#include "qt/collection/outputformats.h"
#include "core/batch/progress.h"
#include "core/batch/summary.h"
#include "qt/collection/workerpool.h"
#include "qt/collection/workerprotocol.h"
#include "core/midi/midifile.h"
#include "core/midi/noteevents.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace tunedeck;
using namespace tunedeck::batch;
using namespace tunedeck::collection;

namespace {

std::string detect(std::string_view job)
{
    const FileEntry entry = entryFromJob(job);
    // Real time, in a process of its own: later jobs must finish first in other workers,
    // and no clock of the test reaches them.
    if (entry.path.find("slow") != std::string::npos)
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (entry.path.find("crash-me") != std::string::npos)
        std::abort();
    if (entry.path.find("hang-me") != std::string::npos)
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    FileResult r;
    r.path = entry.path;
    MidiFile file;
    std::vector<NoteEvent> events;
    const Result<> read = file.load(entry.path);
    if (read) {
        gatherNoteEvents(file, 2, file.trackCount(), true, events);
        putInFeedOrder(events);
        r.outcome = "reported";
        r.keyCode = 160;
        r.key = "C Major";
        r.timelinePoints = int(events.size());
    } else {
        r.outcome = "file-refused";
        r.message = read.error().reason;
    }
    return fakeAnswer(r);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 2 && std::strcmp(argv[1], "--worker") == 0)
        return runWorkerLoop(detect);

    QCoreApplication app(argc, argv);
    PoolOptions options;
    options.jobs = int(std::thread::hardware_concurrency());
    bool csv = true;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--jobs" && i + 1 < argc)
            options.jobs = std::atoi(argv[++i]);
        else if (a == "--timeout" && i + 1 < argc)
            options.timeout = std::chrono::milliseconds(long(std::atof(argv[++i]) * 1000));
        else if (a == "--format" && i + 1 < argc)
            csv = parseOutputFormat(argv[++i]) != OutputFormat::JsonLines;
        else
            args.push_back(a);
    }

    const WalkResult walk = collectFiles(args);
    for (const WalkProblem &p : walk.problems)
        std::fprintf(stderr, "%s: %s\n", p.path.c_str(), p.reason.c_str());
    std::vector<std::string> jobs;
    for (const FileEntry &e : walk.files)
        jobs.push_back(jobText(e));

    if (csv)
        std::fputs(csvHeader().c_str(), stdout);
    ProgressBar progress(jobs.size());
    options.onProgress = [&](std::size_t done) { progress.update(done); };
    RunCounts counts;
    counts.skipped = walk.problems.size();
    WorkerPool pool({QCoreApplication::applicationFilePath().toStdString(), {"--worker"}}, options);
    pool.run(jobs, [&](std::size_t i, JobOutcome &&o) {
        const std::optional<FileResult> answer = o.ok ? readFakeAnswer(o.payload) : std::nullopt;
        FileResult r = answer ? *answer : workerFailure(walk.files[i].path, o.ok ? "unreadable answer" : o.error);
        r.path = walk.files[i].path;
        counts.add(r);
        const std::string out = csv ? csvRow(r) : fakeAnswer(r) + '\n';
        std::fwrite(out.data(), 1, out.size(), stdout);
    });
    progress.finish();
    std::fprintf(stderr, "%s\n", summaryLine(counts, progress.seconds()).c_str());
    return counts.refused || counts.failed ? 1 : 0;
}
