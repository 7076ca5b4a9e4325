#include "collection/workerpool.h"

#include "collection/workerprotocol.h"

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
        : m_pool(pool), m_count(count), m_job(job), m_onResult(onResult)
    {
        for (std::size_t i = 0; i < count; ++i)
            m_pending.push_back(i);
    }

    ~Run()
    {
        for (Worker &w : m_workers)
            stop(w, false);
    }

    void exec()
    {
        if (m_count == 0)
            return;
        const std::size_t count = std::min<std::size_t>(std::size_t(std::max(1, m_pool.m_options.jobs)), m_count);
        m_workers.resize(count);
        for (Worker &w : m_workers)
            start(w);
        dispatchAll();

        QTimer watchdog;
        const auto timeout = m_pool.m_options.timeout;
        watchdog.setInterval(std::clamp<long long>(timeout.count() / 10, 10, 250));
        QObject::connect(&watchdog, &QTimer::timeout, &m_context, [this] {
            if (stopping())
                m_loop.quit();
            else
                checkTimes();
        });
        watchdog.start();
        if (m_finished < m_count && !stopping())
            m_loop.exec();
        watchdog.stop();
        const bool polite = !stopping();
        if (polite) // told all at once, so that they end together
            for (Worker &w : m_workers)
                if (w.process)
                    w.process->closeWriteChannel();
        for (Worker &w : m_workers)
            stop(w, polite);
    }

private:
    struct Worker {
        QProcess *process = nullptr;
        std::deque<std::size_t> inFlight; // sent, not answered; the first is being worked on
        QByteArray buffer;                // output after the last complete line
        QElapsedTimer headClock;          // since the worker started on inFlight.front()
    };

    bool stopping() const { return m_pool.m_options.stopRequested && m_pool.m_options.stopRequested(); }

    Worker *find(QProcess *p)
    {
        for (Worker &w : m_workers)
            if (w.process == p)
                return &w;
        return nullptr;
    }

    void start(Worker &w)
    {
        QProcess *p = m_pool.takeEarlyWorker();
        if (!p)
            p = m_pool.launch();
        w.process = p;
        w.buffer.clear();
        QObject::connect(p, &QProcess::readyReadStandardOutput, &m_context, [this, p] {
            if (Worker *w = find(p))
                readAnswers(*w, true);
        });
        QObject::connect(p, &QProcess::finished, &m_context, [this, p](int code, QProcess::ExitStatus status) {
            if (Worker *w = find(p))
                lost(*w, status == QProcess::CrashExit ? std::string("worker crashed")
                                                       : "worker exited with code " + std::to_string(code));
        });
        QObject::connect(p, &QProcess::errorOccurred, &m_context, [this, p](QProcess::ProcessError e) {
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
        m_ended.emplace_back(p);
        QObject::disconnect(p, nullptr, &m_context, nullptr);
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
        for (Worker &w : m_workers)
            dispatch(w);
    }

    void dispatch(Worker &w)
    {
        if (!w.process)
            return;
        QByteArray requests;
        const auto limit = [this] {
            return std::clamp<std::size_t>(m_pending.size() / m_workers.size(), 2,
                                           std::size_t(std::max(2, m_pool.m_options.batch)));
        };
        // Topped up once half its queue is done, not after every answer: one write (and
        // one wake-up of the worker) for many jobs, and it never runs dry.
        if (!w.inFlight.empty() && w.inFlight.size() > limit() / 2)
            return;
        while (!m_pending.empty() && w.inFlight.size() < limit()) {
            const std::size_t job = m_pending.front();
            m_pending.pop_front();
            if (w.inFlight.empty())
                w.headClock.start();
            w.inFlight.push_back(job);
            requests += QByteArray::fromStdString(protocolLine(job, m_job(job)));
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
            m_pending.insert(m_pending.begin(), w.inFlight.begin(), w.inFlight.end());
            w.inFlight.clear();
            ++(timedOut ? m_pool.m_stats.timedOut : m_pool.m_stats.crashed);
            deliver(head, {false, {}, why});
        }
        if (!m_pending.empty()) {
            start(w);
            dispatchAll();
        }
    }

    // Without a worker nothing can run: every job left fails with the reason.
    void cannotStart(Worker &w)
    {
        const std::string why = "cannot start worker: " + w.process->errorString().toStdString();
        stop(w, false);
        for (Worker &other : m_workers) {
            m_pending.insert(m_pending.end(), other.inFlight.begin(), other.inFlight.end());
            other.inFlight.clear();
            stop(other, false);
        }
        std::sort(m_pending.begin(), m_pending.end());
        while (!m_pending.empty()) {
            const std::size_t job = m_pending.front();
            m_pending.pop_front();
            deliver(job, {false, {}, why});
        }
    }

    void checkTimes()
    {
        const auto limit = m_pool.m_options.timeout.count();
        for (Worker &w : m_workers)
            if (w.process && !w.inFlight.empty() && w.headClock.elapsed() > limit)
                replace(w, timeoutMessage(m_pool.m_options.timeout), true);
    }

    void deliver(std::size_t job, JobOutcome &&outcome)
    {
        ++m_finished;
        if (m_pool.m_options.onProgress)
            m_pool.m_options.onProgress(m_finished);
        m_reorder.put(job, std::move(outcome), [this](std::size_t i, JobOutcome &&o) {
            if (!stopping())
                m_onResult(i, std::move(o));
        });
        if (m_finished == m_count || stopping())
            m_loop.quit();
    }

    WorkerPool &m_pool;
    const std::size_t m_count;
    const JobSource &m_job;
    const ResultHandler &m_onResult;
    ReorderBuffer<JobOutcome> m_reorder;
    std::deque<std::size_t> m_pending;
    std::vector<Worker> m_workers;
    std::size_t m_finished = 0;
    std::vector<std::unique_ptr<QProcess>> m_ended;
    QObject m_context; // the connections' receiver: they end with the run
    QEventLoop m_loop;
};

WorkerPool::WorkerPool(WorkerCommand command, PoolOptions options)
    : m_command(std::move(command)), m_options(std::move(options))
{
}

WorkerPool::~WorkerPool()
{
    for (const std::unique_ptr<QProcess> &p : m_early)
        p->closeWriteChannel();
    for (const std::unique_ptr<QProcess> &p : m_early)
        if (!p->waitForFinished(2000)) {
            p->kill();
            p->waitForFinished(2000);
        }
}

QProcess *WorkerPool::launch()
{
    auto *p = new QProcess;
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->setProgram(QString::fromStdString(m_command.program));
    QStringList args;
    for (const std::string &a : m_command.arguments)
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
    ++m_stats.started;
    p->start();
    return p;
}

void WorkerPool::startEarly(int count)
{
    for (int i = int(m_early.size()); i < count; ++i)
        m_early.emplace_back(launch());
}

QProcess *WorkerPool::takeEarlyWorker()
{
    while (!m_early.empty()) {
        std::unique_ptr<QProcess> p = std::move(m_early.back());
        m_early.pop_back();
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
    return m_stats;
}

} // namespace tunedeck::collection
