#include "detectrun.h"

#include "qt/binding/tonalytelibrary.h"
#include "core/analysis/chordoutput.h"
#include "core/batch/filewalk.h"
#include "core/batch/jsonwriter.h"
#include "core/batch/midicopies.h"
#include "core/batch/progress.h"
#include "core/batch/summary.h"
#include "core/batch/temporaries.h"
#include "qt/collection/filenames.h"
#include "qt/collection/outputformats.h"
#include "qt/collection/workerpool.h"
#include "qt/collection/workerprotocol.h"
#include "detectcopies.h"
#include "detectfile.h"
#include "detectoptions.h"
#include "qt/keymap/keymapexport.h"
#include "qt/keymap/keymaplayout.h"
#include "outputstream.h"
#include "core/keymodel/keymodelanalysis.h"
#include "core/playback/livetrace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace tunedeck;
using namespace tunedeck::batch;
using namespace tunedeck::collection;

namespace {

OutputStream &streamOf(FILE *stream)
{
    static OutputStream out(stdout), err(stderr);
    return stream == stdout ? out : err;
}

void print(FILE *stream, const QString &text)
{
    streamOf(stream).write(textBytes(text));
}

void print(FILE *stream, const std::string &text)
{
    streamOf(stream).write(text);
}

bool outputFailed()
{
    return streamOf(stdout).failed();
}

// A reader gone away is told nothing more and ends the run as SIGPIPE would have; any other
// failed write is said once.
int failedOutputStatus()
{
    const int error = streamOf(stdout).error();
    if (error == EPIPE)
        return 141; // what a shell reports for a command SIGPIPE ended
    print(stderr, QStringLiteral("tunedeck-detect: cannot write the output: %1\n").arg(QString::fromLocal8Bit(std::strerror(error))));
    return 1;
}

// SIGINT and SIGTERM while workers run: only noted here; the pool sees it, kills its
// workers and the command ends as the signal would have ended it.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void noteStopSignal(int signal)
{
    stopSignal = signal;
}

// A signal that ends the command at once takes the copy being written with it.
extern "C" void endWithSignal(int signal)
{
    removeTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// While copies are written in this process, a signal ends the run at once and removes the
// temporary file in hand. With workers the signal is noted: the pool ends them, and their
// temporary files are removed before the command ends.
void catchSignals(bool workers)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, workers ? noteStopSignal : endWithSignal);
}

// The hidden worker mode: file jobs on stdin, answers on stdout, one engine for all.
int runWorker(const DetectSettings &settings, const DetectHooks &hooks)
{
    TonalyteLibrary library;
    qint32 version = 0;
    if (!library.checkVersion(version))
        return 3;
    return runWorkerLoop([&](std::string_view job) {
        if (hooks.beforeJob)
            hooks.beforeJob(job);
        const CopyJob read = readCopyJob(job);
        FileAnswer answer = answerFile(library, read.entry, settings);
        writeTemporaries(answer, read, hooks.writeCopy);
        std::string payload = encodeAnswer(answer);
        if (hooks.beforeAnswer)
            hooks.beforeAnswer(job);
        return payload;
    });
}

// Writes each file's answer as it comes, in input order, and what the run ends with.
class Output {
public:
    Output(const DetectRun &run, const RunCopies &copies) : run_(run), copies_(copies) {}

    void begin()
    {
        if (run_.settings.format == OutputFormat::Csv)
            print(stdout, run_.settings.chords ? chordCsvHeader() : csvHeader(run_.settings.choices.notation));
        if (run_.settings.format == OutputFormat::Json)
            print(stdout, std::string(results_.begin()));
    }

    // The answer of the walk's file at `index`, its copies written first.
    void add(FileAnswer a, std::size_t index)
    {
        counts_.copiesNotWritten += copies_.write(a, index);
        added_ = index + 1;
        if (!a.error.isEmpty())
            print(stderr, a.error + QLatin1Char('\n'));
        if (run_.settings.format == OutputFormat::Json)
            print(stdout, std::string(results_.next()));
        print(stdout, a.printed);
        if (run_.settings.format == OutputFormat::JsonLines)
            streamOf(stdout).flush(); // a long run can be piped as it goes
        failures_ += a.failed ? 1 : 0;
        counts_.add(a.row);
        tally_.add(a.row);
    }

    std::size_t added() const { return added_; }

    int end(std::size_t skipped, double seconds)
    {
        if (run_.settings.format == OutputFormat::Json)
            print(stdout, std::string(results_.end()));
        if (run_.summary)
            for (const std::string &line : keySummaryLines(tally_, run_.settings.choices.notation))
                print(stdout, line + '\n');
        counts_.skipped = skipped;
        if (run_.collection)
            print(stderr, summaryLine(counts_, seconds) + '\n');
        return failures_ || skipped ? 1 : 0;
    }

private:
    const DetectRun &run_;
    const RunCopies &copies_;
    JsonArrayWriter results_;
    int failures_ = 0;
    std::size_t added_ = 0;
    RunCounts counts_;
    KeyTally tally_;
};

// The key map picture of the file at `index` of `count`: the path given, numbered when
// there are several files.
bool writeKeyMap(const KeyMapData &map, const QString &path, std::size_t index, std::size_t count)
{
    QString target = path;
    if (count > 1) {
        const QFileInfo info(path);
        target = info.dir().filePath(QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(index + 1).arg(info.suffix()));
    }
    constexpr int Width = 1200;
    const int height = int(keyMapHeight(map, Width, QFontMetricsF(QGuiApplication::font())) + 0.5);
    if (const Result<> saved = saveKeyMap(map, target, QSize(Width, height)); !saved) {
        print(stderr,
              QStringLiteral("tunedeck-detect: %1: %2\n").arg(target, QString::fromStdString(saved.error().reason)));
        return false;
    }
    return true;
}

// --live-trace: the file's seconds on stdout; 1 when it cannot be read or played.
int printLiveTrace(TonalyteEngine &library, const DetectRun &run)
{
    OpenFile file;
    const AnalysisChoices &chosen = run.settings.choices;
    file.setSplitFormat0(chosen.splitFormat0);
    file.setScoreOptions({chosen.unfoldRepeats});
    const OpenResult opened = file.open(argumentBytes(run.liveTracePath));
    if (!opened) {
        const std::string &reason = opened.error().reason;
        print(stderr, QStringLiteral("tunedeck-detect: %1: %2\n")
                          .arg(run.liveTracePath, reason.empty() ? QStringLiteral("not a MIDI file it can read")
                                                                 : QString::fromStdString(reason)));
        return 1;
    }
    LiveTraceChoices choices;
    choices.analysis = chosen.profile;
    choices.keyNetwork = chosen.keyNetwork;
    choices.musicBars = chosen.bars == BarChoice::Music;
    choices.fromSecond = run.liveTraceFrom;
    // Each second printed as it is read: the lines of a play weeks long need not fit in memory.
    const bool played = liveTrace(library, file, chosen.fast, choices,
                                  [](const LiveTracePoint &point) { print(stdout, liveTraceLine(point) + '\n'); });
    if (!played) {
        print(stderr, QStringLiteral("tunedeck-detect: %1: the track is not in the file\n").arg(run.liveTracePath));
        return 1;
    }
    return streamOf(stdout).flush() ? 0 : failedOutputStatus();
}

// File after file needs the same memory again: the heap keeps what a file freed rather
// than handing it back to the system and faulting it in anew for the next (with --json,
// about 39 page faults a file instead of 1).
void keepFreedMemory()
{
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
#endif
}

bool wantsPictures(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--map") == 0 || std::strncmp(argv[i], "--map=", 6) == 0)
            return true;
    return false;
}

// Pictures need fonts, so a Qt Gui application on the offscreen platform. It wants a runtime
// folder and warns on every run without one; a borrowed one, kept in `runtime`, goes after it.
std::unique_ptr<QCoreApplication> startApplication(int &argc, char **argv, std::optional<QTemporaryDir> &runtime)
{
    std::unique_ptr<QCoreApplication> app;
    if (wantsPictures(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.emplace().isValid()) {
            QFile::setPermissions(runtime->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
        }
        app = startHeadlessGui(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("tunedeck-detect"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TUNEDECK_VERSION));
    return app;
}

// The files the paths name, folders walked but for those the copies go into.
WalkResult listFiles(const DetectRun &run)
{
    std::vector<std::string> arguments;
    for (const QString &a : run.paths)
        arguments.push_back(argumentBytes(a));
    std::vector<std::string> copyDirs;
    for (const CopyFolder &f : copyFolders(run.settings))
        copyDirs.push_back(f.dir);
    WalkResult walk = collectFiles(arguments, copyDirs);
    for (const WalkProblem &p : walk.problems)
        print(stderr, "tunedeck-detect: " + p.path + ": " + p.reason + '\n');
    for (const std::string &dir : walk.notRead)
        print(stderr, "tunedeck-detect: " + dir + ": not read, the copies are written there\n");
    return walk;
}

// Plain runs and pictures stay in this process. False when a key map was not written.
bool answerHere(TonalyteEngine &library, const DetectRun &run, const WalkResult &walk, Output &out,
                ProgressBar &bar)
{
    bool mapsWritten = true;
    for (std::size_t i = 0; i < walk.files.size() && !outputFailed(); ++i) {
        FileAnswer answer = answerFile(library, walk.files[i], run.settings);
        if (answer.map)
            mapsWritten = writeKeyMap(*answer.map, run.mapPath, i, walk.files.size()) && mapsWritten;
        out.add(std::move(answer), i);
        bar.update(i + 1);
    }
    return mapsWritten;
}

// The copies of files not answered when the run stops are removed, their workers ended.
void answerInWorkers(WorkerPool &pool, const DetectRun &run, const WalkResult &walk, Output &out,
                     const RunCopies &copies)
{
    std::signal(SIGINT, noteStopSignal);
    std::signal(SIGTERM, noteStopSignal);
    const bool withCopies = run.settings.keySignatureDir || run.settings.chordMarkerDir || run.settings.scoreDir;
    const auto jobOf = [&](std::size_t i) { return withCopies ? copies.job(i) : jobText(walk.files[i]); };
    pool.run(walk.files.size(), jobOf, [&](std::size_t i, JobOutcome &&job) {
        std::optional<FileAnswer> answer = job.ok ? decodeAnswer(job.payload) : std::nullopt;
        out.add(answer ? std::move(*answer)
                       : failedAnswer(walk.files[i].path, job.ok ? "unreadable answer from its worker" : job.error,
                                      run.settings),
                i);
    });
    if (withCopies)
        copies.discardFrom(out.added());
}

// Every file the paths name, answered here or by worker processes, printed in their order.
int detectFiles(TonalyteEngine &library, const DetectRun &run, const DetectHooks &hooks)
{
    // Workers start while the files are being listed, when a pool is likely (a folder, or
    // several files): the two overlap. One not needed in the end only costs its start-up;
    // at most a few start early, so that a small folder on a machine of many cores does not
    // start dozens it never uses (the rest start once the files are counted).
    constexpr int EarlyWorkers = 4;
    ProgressBar *progress = nullptr;
    PoolOptions options;
    options.jobs = run.jobs;
    options.timeout = run.timeout;
    options.onProgress = [&progress](std::size_t done) { progress->update(done); };
    options.stopRequested = [] { return stopSignal != 0 || outputFailed(); };
    WorkerPool pool({QCoreApplication::applicationFilePath().toStdString(), workerArguments(run)}, options);
    const int likelyWorkers = int(std::min<qsizetype>(run.jobs, run.paths.size()));
    if (!run.settings.keyMap && (run.collection || likelyWorkers > 1))
        pool.startEarly(std::min(EarlyWorkers, run.collection ? run.jobs : likelyWorkers));

    const WalkResult walk = listFiles(run);
    const RunCopies copies(run.settings, walk, hooks.writeCopy);
    Output out(run, copies);
    out.begin();
    ProgressBar bar(walk.files.size());
    progress = &bar;
    const int workers = int(std::min<std::size_t>(std::size_t(run.jobs), walk.files.size()));
    const bool here = (workers <= 1 && !run.collection) || run.settings.keyMap;
    if (run.settings.keySignatureDir || run.settings.chordMarkerDir || run.settings.scoreDir)
        catchSignals(!here);
    bool mapsWritten = true;
    if (here) {
        mapsWritten = answerHere(library, run, walk, out, bar);
    } else {
        answerInWorkers(pool, run, walk, out, copies);
        if (stopSignal)
            return 128 + int(stopSignal);
    }
    bar.finish();
    if (outputFailed() || !streamOf(stdout).flush())
        return failedOutputStatus();
    const int status = out.end(walk.problems.size(), bar.seconds());
    if (!streamOf(stdout).flush())
        return failedOutputStatus();
    return status ? status : (mapsWritten ? 0 : 1);
}

} // namespace

namespace tunedeck {

int runDetectCommand(int argc, char *argv[], const DetectHooks &hooks)
{
    keepFreedMemory();
    std::optional<QTemporaryDir> runtime;
    const std::unique_ptr<QCoreApplication> app = startApplication(argc, argv, runtime);
    // The key network, an experiment the command offers (--key-network).
    keymodel::installKeyModel();

    DetectRun run;
    QString error;
    // argc and argv as the application left them, its own options taken out.
    if (!parseDetectOptions(commandArguments(argc, argv), run, error)) {
        print(stderr, QStringLiteral("tunedeck-detect: %1\n").arg(error));
        return 2;
    }
    if (run.worker)
        return runWorker(run.settings, hooks);

    TonalyteLibrary library;
    qint32 version = 0;
    if (!library.checkVersion(version)) {
        print(stderr, versionMessage() + QLatin1Char('\n'));
        return 3;
    }
    if (!run.liveTracePath.isEmpty())
        return printLiveTrace(library, run);
    return detectFiles(library, run, hooks);
}

} // namespace tunedeck
