// The worker pool with the fake worker: answers in job order whatever finishes first, and
// a crash or a hang costs one job.
#include "fakeanswer.h"

#include "core/batch/filewalk.h"
#include "qt/collection/workerpool.h"

#include <QTest>

using namespace tunedeck::batch;
using namespace tunedeck::collection;

class WorkerPoolTest : public QObject {
    Q_OBJECT

private slots:
    // Job 1 is slow, so later jobs finish first; job 4 crashes its worker, job 8 hangs
    // its worker until the time limit. Each costs only itself, and the jobs sent ahead to
    // the lost worker are run by its successor. Odd names pass the line protocol whole.
    void crashAndHangCostOneJobEach()
    {
        const std::vector<std::string> names = {
            "a.mid", "slow.mid", "b,c.mid", "line\nbreak\\n.mid", "crash-me.mid", "d.mid",
            "é ♪.mid", "e.mid", "hang-me.mid", "f.mid", "g.mid", "h.mid", "crash-me-too.mid", "i.mid"};
        std::vector<std::string> jobs;
        for (const std::string &n : names)
            jobs.push_back(jobText({"/no/such/dir/" + n, n}));

        PoolOptions options;
        options.jobs = 2;
        options.timeout = std::chrono::milliseconds(1500);
        std::size_t progress = 0;
        options.onProgress = [&](std::size_t finished) { progress = finished; };
        WorkerPool pool({COLLECTION_FAKE_WORKER, {"--worker"}}, options);

        std::vector<std::size_t> order;
        std::vector<std::string> outcomes;
        pool.run(jobs, [&](std::size_t i, JobOutcome &&o) {
            order.push_back(i);
            const std::optional<FileResult> r = o.ok ? readFakeAnswer(o.payload) : std::nullopt;
            if (!o.ok)
                outcomes.push_back(o.error);
            else if (r)
                outcomes.push_back(r->path == "/no/such/dir/" + names[i] ? r->outcome : "wrong file: " + r->path);
            else
                outcomes.push_back("unreadable: " + o.payload);
        });

        std::vector<std::size_t> expectedOrder(names.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            expectedOrder[i] = i;
        QCOMPARE(order, expectedOrder);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string expected = names[i].rfind("crash-me", 0) == 0 ? "worker crashed"
                                         : names[i] == "hang-me.mid"       ? "timed out after 1.5 s"
                                                                           : "file-refused";
            QVERIFY2(outcomes[i] == expected, (names[i] + ": " + outcomes[i]).c_str());
        }
        QCOMPARE(progress, names.size());
        QCOMPARE(pool.stats().crashed, std::size_t(2));
        QCOMPARE(pool.stats().timedOut, std::size_t(1));
        QVERIFY(pool.stats().started >= 4);
    }

    // Workers started before the jobs are known are the ones that run them; the pool starts
    // what is missing, and one more than the run needs ends with the pool.
    void earlyWorkersRunTheJobs()
    {
        for (int early : {1, 2, 3}) {
            PoolOptions options;
            options.jobs = 2;
            std::vector<std::string> outcomes;
            {
                WorkerPool pool({COLLECTION_FAKE_WORKER, {"--worker"}}, options);
                pool.startEarly(early);
                pool.run({jobText({"/no/such/a.mid", "a.mid"}), jobText({"/no/such/b.mid", "b.mid"})},
                         [&](std::size_t i, JobOutcome &&o) {
                             const std::optional<FileResult> r = o.ok ? readFakeAnswer(o.payload) : std::nullopt;
                             outcomes.push_back(std::to_string(i) + (r ? r->outcome : o.error));
                         });
                QCOMPARE(pool.stats().started, std::size_t(std::max(early, 2)));
            }
            QCOMPARE(outcomes, (std::vector<std::string>{"0file-refused", "1file-refused"}));
        }
    }

    void missingWorkerFailsEveryJob()
    {
        WorkerPool pool({"/no/such/worker", {}}, {});
        std::vector<std::string> errors;
        pool.run({"a", "b", "c"}, [&](std::size_t, JobOutcome &&o) { errors.push_back(o.ok ? "ok" : o.error); });
        QCOMPARE(errors.size(), std::size_t(3));
        for (const std::string &e : errors)
            QVERIFY2(e.rfind("cannot start worker", 0) == 0, e.c_str());
    }
};

QTEST_GUILESS_MAIN(WorkerPoolTest)
#include "workerpooltest.moc"
