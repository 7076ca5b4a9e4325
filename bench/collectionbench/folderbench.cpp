// Times tunedeck-detect over a folder of real files with --jobs 1 and --jobs 2.
//   tunedeck_folder_bench FOLDER [--runs R] [-- COMMAND ARGS...]
// runs "COMMAND ARGS... --jobs J FOLDER" R times for each J, the two alternating so that a
// change in the machine's load falls on both, and prints for each the median files per
// second and CPU seconds (the command and its workers), the speed-up of the medians, of the
// best runs and of each run's pair (the median of the ratios), the load average before and
// after, and whether both printed the same bytes. COMMAND defaults
// to tunedeck-detect beside this program. Without a folder it says so and does nothing.
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace {

struct Timing {
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the command and its workers
    QByteArray digest;     // of what it printed on stdout
    int exitCode = 0;
};

// Of the children waited for so far, their own children included: 0 where unknown.
double childCpuSeconds()
{
#if defined(_WIN32)
    return 0;
#else
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
#endif
}

Timing runOnce(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QObject::connect(&p, &QProcess::readyReadStandardOutput, [&] { hash.addData(p.readAllStandardOutput()); });
    const double cpuBefore = childCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    p.waitForStarted(-1);
    while (p.state() != QProcess::NotRunning)
        p.waitForFinished(50);
    Timing t;
    t.seconds = double(clock.nsecsElapsed()) / 1e9;
    hash.addData(p.readAllStandardOutput());
    t.cpuSeconds = childCpuSeconds() - cpuBefore;
    t.digest = hash.result();
    t.exitCode = p.exitCode();
    return t;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readLine()).section(QLatin1Char(' '), 0, 2)
                                       : QStringLiteral("unknown");
}

int midiFiles(const QString &folder)
{
    int count = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
    while (it.hasNext()) {
        const QString suffix = it.nextFileInfo().suffix().toLower();
        count += suffix == QLatin1String("mid") || suffix == QLatin1String("midi") || suffix == QLatin1String("kar");
    }
    return count;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString folder;
    int runs = 5;
    QStringList command;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--")) {
            command = args;
            break;
        }
        if (a == QLatin1String("--runs") && !args.isEmpty())
            runs = std::max(1, args.takeFirst().toInt());
        else
            folder = a;
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        std::printf("skipped: no folder of MIDI files given (usage: %s FOLDER [--runs R] [-- COMMAND ARGS...])\n",
                    argv[0]);
        return 0;
    }
    if (command.isEmpty())
        command = QStringList{QCoreApplication::applicationDirPath() + QLatin1String("/tunedeck-detect")};
    const QString program = command.takeFirst();
    const int files = midiFiles(folder);

    std::printf("%d files in %s, %d runs each, load average %s\n", files, qPrintable(folder), runs,
                qPrintable(loadAverage()));
    std::vector<double> rate[3], cpu[3];
    QByteArray digest[3];
    for (int r = 0; r < runs; ++r) {
        for (int jobs : r % 2 ? std::vector<int>{2, 1} : std::vector<int>{1, 2}) {
            const Timing t = runOnce(program, command + QStringList{"--jobs", QString::number(jobs), folder});
            std::printf("--jobs %d: %.3f s, %.0f files/s, %.3f CPU s (exit %d)\n", jobs, t.seconds,
                        files / t.seconds, t.cpuSeconds, t.exitCode);
            rate[jobs].push_back(files / t.seconds);
            cpu[jobs].push_back(t.cpuSeconds);
            if (digest[jobs].isEmpty())
                digest[jobs] = t.digest;
            else if (digest[jobs] != t.digest)
                std::printf("  (its output differs from its first run's)\n");
        }
    }
    // A busy machine only slows a run down: the best runs and the pairs run back to back
    // say more than the medians when the load changes.
    std::vector<double> pairs;
    for (int r = 0; r < runs; ++r)
        pairs.push_back(rate[2][std::size_t(r)] / rate[1][std::size_t(r)]);
    const double best1 = *std::max_element(rate[1].begin(), rate[1].end());
    const double best2 = *std::max_element(rate[2].begin(), rate[2].end());
    std::printf("median: --jobs 1 %.0f files/s (%.3f CPU s), --jobs 2 %.0f files/s (%.3f CPU s): speed-up %.2f\n",
                median(rate[1]), median(cpu[1]), median(rate[2]), median(cpu[2]), median(rate[2]) / median(rate[1]));
    std::printf("best: --jobs 1 %.0f files/s, --jobs 2 %.0f files/s: speed-up %.2f; pairs: speed-up %.2f; "
                "same output: %s; load average after %s\n",
                best1, best2, best2 / best1, median(pairs), digest[1] == digest[2] ? "yes" : "NO",
                qPrintable(loadAverage()));
    return 0;
}
