// Runs jobs (files) through long-lived worker processes of a command, several at a time,
// and hands the answers back in job order. A worker that crashes or hangs costs the job it
// was on; the pool starts another and goes on.
#ifndef TUNEDECK_QT_COLLECTION_WORKERPOOL_H
#define TUNEDECK_QT_COLLECTION_WORKERPOOL_H

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QProcess;

namespace tunedeck::collection {

// Holds answers that come early and lets them out in index order, each as soon as every
// one before it is out. Only the early ones are held, so a long run costs nothing per job.
template <typename T>
class ReorderBuffer {
public:
    template <typename Emit>
    void put(std::size_t index, T value, Emit &&emit)
    {
        if (index != next_) {
            early_.emplace(index, std::move(value));
            return;
        }
        emit(next_++, std::move(value));
        for (auto it = early_.begin(); it != early_.end() && it->first == next_; it = early_.erase(it))
            emit(next_++, std::move(it->second));
    }
    std::size_t emitted() const { return next_; }

private:
    std::map<std::size_t, T> early_;
    std::size_t next_ = 0;
};

// The worker program and its arguments; the program speaks workerprotocol.h.
struct WorkerCommand {
    std::string program;
    std::vector<std::string> arguments;
};

struct PoolOptions {
    int jobs = 1; // worker processes
    std::chrono::milliseconds timeout{60000}; // per job, from the moment its worker starts on it
    // Jobs sent ahead to each worker, so that it never waits for the next one and reads
    // its requests many at a time. Fewer near the end, so that no worker idles while
    // another still holds a queue.
    int batch = 16;
    // After every finished job, in the order they finish: how many have finished.
    std::function<void(std::size_t finished)> onProgress;
    // Asked after every answer and a few times a second: true ends the run at once, its
    // workers killed and the jobs not yet handed out never handed.
    std::function<bool()> stopRequested;
};

struct JobOutcome {
    bool ok = false;
    std::string payload; // the worker's answer when ok
    std::string error;   // otherwise: "worker crashed", "timed out after 60 s", ...
};

class WorkerPool {
public:
    using ResultHandler = std::function<void(std::size_t index, JobOutcome &&outcome)>;
    // The text of job `index`, asked for when the job is sent: a long run holds no copy of them all.
    using JobSource = std::function<std::string(std::size_t index)>;

    struct Stats {
        std::size_t started = 0;  // worker processes started
        std::size_t crashed = 0;  // jobs lost to a crash or an exit
        std::size_t timedOut = 0; // jobs stopped by the time limit
    };

    WorkerPool(WorkerCommand command, PoolOptions options);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Runs every job and returns when each has been handed to onResult, once, in job order,
    // or earlier when stopRequested says so. Workers die with the calling process on Linux.
    // Runs its own event loop, so a QCoreApplication must exist.
    void run(const std::vector<std::string> &jobs, const ResultHandler &onResult);
    void run(std::size_t count, const JobSource &job, const ResultHandler &onResult);

    // Starts workers before the jobs are known (while the files are being listed), so that
    // their start-up overlaps that work; run() takes them first. Those it does not take end
    // with the pool.
    void startEarly(int count);

    Stats stats() const;

private:
    class Run;
    QProcess *launch();
    QProcess *takeEarlyWorker();

    WorkerCommand command_;
    PoolOptions options_;
    Stats stats_;
    std::vector<std::unique_ptr<QProcess>> early_;
};

// "timed out after 60 s", "timed out after 0.5 s".
std::string timeoutMessage(std::chrono::milliseconds timeout);

} // namespace tunedeck::collection

#endif
