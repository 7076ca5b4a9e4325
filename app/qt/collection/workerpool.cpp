#include "qt/collection/workerpool.h"

#include "qt/collection/workerprotocol.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>

#if defined(__linux__)
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace tunedeck::collection {

std::string timeoutMessage(std::chrono::milliseconds timeout)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "timed out after %g s", double(timeout.count()) / 1000.0);
    return buf;
}

// One call of run(): the workers, the queue of jobs not yet sent, and the answers on
// their way out.
class WorkerPool::Run {
public:
    Run(WorkerPool &pool, std::size_t count, const JobSource &job, const ResultHandler &onResult)
        : pool_(pool), count_(count), job_(job), onResult_(onResult)
    {
        for (std::size_t i = 0; i < count; ++i)
            pending_.push_back(i);
    }

    ~Run()
    {
        for (Worker &w : workers_)
            stop(w, false);
    }

    void exec()
    {
        if (count_ == 0)
            return;
        const std::size_t count = std::min<std::size_t>(std::size_t(std::max(1, pool_.options_.jobs)), count_);
        workers_.resize(count);
        for (Worker &w : workers_)
            start(w);
        dispatchAll();

        QTimer watchdog;
        const auto timeout = pool_.options_.timeout;
        watchdog.setInterval(std::clamp<long long>(timeout.count() / 10, 10, 250));
        QObject::connect(&watchdog, &QTimer::timeout, &context_, [this] {
            if (stopping())
                loop_.quit();
            else
                checkTimes();
        });
        watchdog.start();
        if (finished_ < count_ && !stopping())
            loop_.exec();
        watchdog.stop();
        const bool polite = !stopping();
        if (polite) // told all at once, so that they end together
            for (Worker &w : workers_)
                if (w.process)
                    w.process->closeWriteChannel();
        for (Worker &w : workers_)
            stop(w, polite);
    }

private:
    struct Worker {
        QProcess *process = nullptr;
        std::deque<std::size_t> inFlight; // sent, not answered; the first is being worked on
        QByteArray buffer;                // output after the last complete line
        QElapsedTimer headClock;          // since the worker started on inFlight.front()
    };

    bool stopping() const { return pool_.options_.stopRequested && pool_.options_.stopRequested(); }

    Worker *find(QProcess *p)
    {
        for (Worker &w : workers_)
            if (w.process == p)
                return &w;
        return nullptr;
    }

    void start(Worker &w)
    {
        QProcess *p = pool_.takeEarlyWorker();
        if (!p)
            p = pool_.launch();
        w.process = p;
        w.buffer.clear();
        QObject::connect(p, &QProcess::readyReadStandardOutput, &context_, [this, p] {
            if (Worker *w = find(p))
                readAnswers(*w, true);
        });
        QObject::connect(p, &QProcess::finished, &context_, [this, p](int code, QProcess::ExitStatus status) {
            if (Worker *w = find(p))
                lost(*w, status == QProcess::CrashExit ? std::string("worker crashed")
                                                       : "worker exited with code " + std::to_string(code));
        });
        QObject::connect(p, &QProcess::errorOccurred, &context_, [this, p](QProcess::ProcessError e) {
            if (Worker *w = find(p); w && e == QProcess::FailedToStart)
                cannotStart(*w);
        });
    }

    // Ends a worker: politely (end of its input) at the end of the run, at once otherwise.
    // The process object lives on to the end of the run: this may be one of its signals.
    void stop(Worker &w, bool polite)
    {
        QProcess *p = w.process;
        if (!p)
            return;
        w.process = nullptr;
        ended_.emplace_back(p);
        QObject::disconnect(p, nullptr, &context_, nullptr);
        if (p->state() != QProcess::NotRunning) {
            if (polite) {
                p->closeWriteChannel();
                if (!p->waitForFinished(2000))
                    p->kill();
            } else {
                p->kill();
            }
            p->waitForFinished(2000);
        }
    }

    void dispatchAll()
    {
        for (Worker &w : workers_)
            dispatch(w);
    }

    void dispatch(Worker &w)
    {
        if (!w.process)
            return;
        QByteArray requests;
        const auto limit = [this] {
            return std::clamp<std::size_t>(pending_.size() / workers_.size(), 2,
                                           std::size_t(std::max(2, pool_.options_.batch)));
        };
        // Topped up once half its queue is done, not after every answer: one write (and
        // one wake-up of the worker) for many jobs, and it never runs dry.
        if (!w.inFlight.empty() && w.inFlight.size() > limit() / 2)
            return;
        while (!pending_.empty() && w.inFlight.size() < limit()) {
            const std::size_t job = pending_.front();
            pending_.pop_front();
            if (w.inFlight.empty())
                w.headClock.start();
            w.inFlight.push_back(job);
            requests += QByteArray::fromStdString(protocolLine(job, job_(job)));
        }
        if (!requests.isEmpty())
            w.process->write(requests);
    }

    void readAnswers(Worker &w, bool sendMore)
    {
        w.buffer += w.process->readAllStandardOutput();
        qsizetype start = 0;
        for (qsizetype end; (end = w.buffer.indexOf('\n', start)) >= 0; start = end + 1) {
            const std::optional<ProtocolLine> answer =
                parseProtocolLine(std::string_view(w.buffer.constData() + start, std::size_t(end - start)));
            if (!answer || w.inFlight.empty() || answer->id != w.inFlight.front()) {
                w.buffer.clear();
                return replace(w, "worker answered out of turn", false);
            }
            w.inFlight.pop_front();
            w.headClock.start();
            deliver(answer->id, {true, std::move(answer->text), {}});
        }
        w.buffer.remove(0, start);
        if (sendMore)
            dispatch(w);
    }

    // The worker died: what it answered still counts, the job it was on fails.
    void lost(Worker &w, const std::string &why)
    {
        readAnswers(w, false);
        if (w.process)
            replace(w, why, false);
    }

    // Fails the job the worker was on, gives the others back to the queue and starts a new
    // worker when there is work left.
    void replace(Worker &w, const std::string &why, bool timedOut)
    {
        stop(w, false);
        if (!w.inFlight.empty()) {
            const std::size_t head = w.inFlight.front();
            w.inFlight.pop_front();
            pending_.insert(pending_.begin(), w.inFlight.begin(), w.inFlight.end());
            w.inFlight.clear();
            ++(timedOut ? pool_.stats_.timedOut : pool_.stats_.crashed);
            deliver(head, {false, {}, why});
        }
        if (!pending_.empty()) {
            start(w);
            dispatchAll();
        }
    }

    // Without a worker nothing can run: every job left fails with the reason.
    void cannotStart(Worker &w)
    {
        const std::string why = "cannot start worker: " + w.process->errorString().toStdString();
        stop(w, false);
        for (Worker &other : workers_) {
            pending_.insert(pending_.end(), other.inFlight.begin(), other.inFlight.end());
            other.inFlight.clear();
            stop(other, false);
        }
        std::sort(pending_.begin(), pending_.end());
        while (!pending_.empty()) {
            const std::size_t job = pending_.front();
            pending_.pop_front();
            deliver(job, {false, {}, why});
        }
    }

    void checkTimes()
    {
        const auto limit = pool_.options_.timeout.count();
        for (Worker &w : workers_)
            if (w.process && !w.inFlight.empty() && w.headClock.elapsed() > limit)
                replace(w, timeoutMessage(pool_.options_.timeout), true);
    }

    void deliver(std::size_t job, JobOutcome &&outcome)
    {
        ++finished_;
        if (pool_.options_.onProgress)
            pool_.options_.onProgress(finished_);
        reorder_.put(job, std::move(outcome), [this](std::size_t i, JobOutcome &&o) {
            if (!stopping())
                onResult_(i, std::move(o));
        });
        if (finished_ == count_ || stopping())
            loop_.quit();
    }

    WorkerPool &pool_;
    const std::size_t count_;
    const JobSource &job_;
    const ResultHandler &onResult_;
    ReorderBuffer<JobOutcome> reorder_;
    std::deque<std::size_t> pending_;
    std::vector<Worker> workers_;
    std::size_t finished_ = 0;
    std::vector<std::unique_ptr<QProcess>> ended_;
    QObject context_; // the connections' receiver: they end with the run
    QEventLoop loop_;
};

WorkerPool::WorkerPool(WorkerCommand command, PoolOptions options)
    : command_(std::move(command)), options_(std::move(options))
{
}

WorkerPool::~WorkerPool()
{
    for (const std::unique_ptr<QProcess> &p : early_)
        p->closeWriteChannel();
    for (const std::unique_ptr<QProcess> &p : early_)
        if (!p->waitForFinished(2000)) {
            p->kill();
            p->waitForFinished(2000);
        }
}

QProcess *WorkerPool::launch()
{
    auto *p = new QProcess;
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->setProgram(QString::fromStdString(command_.program));
    QStringList args;
    for (const std::string &a : command_.arguments)
        args << QString::fromStdString(a);
    p->setArguments(args);
#if defined(__linux__)
    // A worker must not outlive the command, however the command ends.
    p->setChildProcessModifier([parent = getpid()] {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(1);
    });
#endif
    ++stats_.started;
    p->start();
    return p;
}

void WorkerPool::startEarly(int count)
{
    for (int i = int(early_.size()); i < count; ++i)
        early_.emplace_back(launch());
}

QProcess *WorkerPool::takeEarlyWorker()
{
    while (!early_.empty()) {
        std::unique_ptr<QProcess> p = std::move(early_.back());
        early_.pop_back();
        // One that could not start is started again, so that its failure is seen.
        if (p->state() != QProcess::NotRunning)
            return p.release();
    }
    return nullptr;
}

void WorkerPool::run(const std::vector<std::string> &jobs, const ResultHandler &onResult)
{
    run(jobs.size(), [&jobs](std::size_t i) { return jobs[i]; }, onResult);
}

void WorkerPool::run(std::size_t count, const JobSource &job, const ResultHandler &onResult)
{
    Run(*this, count, job, onResult).exec();
}

WorkerPool::Stats WorkerPool::stats() const
{
    return stats_;
}

} // namespace tunedeck::collection
