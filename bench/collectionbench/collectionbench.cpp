// Times a collection run over generated song-sized files with --jobs 1 and --jobs 2.
//   tunedeck_collection_bench [--files N] [--runs R] [--dir DIR] [-- COMMAND ARGS...]
// runs "COMMAND ARGS... --jobs J DIR" for J = 1 and 2, best of R runs each, and prints files
// per second and the speed-up. COMMAND defaults to tunedeck-detect --format csv beside
// this program. Files are written to DIR (kept) or to a temporary folder (removed).
#include "midiwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdint>

namespace {

// About 3,500 note events (on and off) over a tempo track and three voices in one key,
// with a modulation half-way: the size of a song.
std::string songFile(std::uint32_t seed)
{
    std::uint32_t state = seed * 2654435761u + 1;
    const auto random = [&state](int n) {
        state = state * 1664525u + 1013904223u;
        return int((state >> 16) % std::uint32_t(n));
    };
    static const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    const int tonic = int(seed % 12);
    midiwriter::File file(1, 480);
    file.addTrack().text("song").tempo(500000);
    for (int voice = 0; voice < 3; ++voice) {
        midiwriter::Track &t = file.addTrack();
        t.programChange(voice, voice * 8);
        const int notes = voice == 0 ? 750 : 500; // 1,750 notes, 3,500 note events
        const int base = 48 + 12 * (voice == 0);
        for (int i = 0; i < notes; ++i) {
            const int key = i < notes / 2 ? tonic : tonic + 7;
            const int pitch = base + key + major[random(7)] + 12 * random(2);
            t.note(voice, pitch % 128, 60 + random(60), std::uint64_t(voice == 0 ? 240 : 360));
        }
    }
    return file.bytes();
}

struct Timing {
    double seconds = 0;
    int lines = 0;
    int exitCode = 0;
};

Timing runOnce(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    p.waitForFinished(-1);
    Timing t;
    t.seconds = double(clock.nsecsElapsed()) / 1e9;
    t.lines = int(p.readAllStandardOutput().count('\n'));
    t.exitCode = p.exitCode();
    return t;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int files = 2000, runs = 2;
    QString dirPath;
    QStringList command;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--") ) {
            command = args;
            break;
        }
        if (args.isEmpty()) {
            std::fprintf(stderr, "usage: %s [--files N] [--runs R] [--dir DIR] [-- COMMAND ARGS...]\n", argv[0]);
            return 2;
        }
        const QString value = args.takeFirst();
        if (a == QLatin1String("--files"))
            files = value.toInt();
        else if (a == QLatin1String("--runs"))
            runs = value.toInt();
        else if (a == QLatin1String("--dir"))
            dirPath = value;
    }
    if (command.isEmpty())
        command = QStringList{QCoreApplication::applicationDirPath() + QLatin1String("/tunedeck-detect"),
                              QStringLiteral("--format"), QStringLiteral("csv")};

    QTemporaryDir temp;
    if (dirPath.isEmpty())
        dirPath = temp.path();
    QDir().mkpath(dirPath);
    for (int i = 0; i < files; ++i) {
        const QString path = QDir(dirPath).filePath(QStringLiteral("song%1.mid").arg(i, 4, 10, QLatin1Char('0')));
        if (!QFileInfo::exists(path))
            midiwriter::save(path.toStdString(), songFile(std::uint32_t(i)));
    }

    const QString program = command.takeFirst();
    double best[3] = {0, 0, 0};
    for (int jobs : {1, 2}) {
        for (int r = 0; r < runs; ++r) {
            const Timing t = runOnce(program, command + QStringList{"--jobs", QString::number(jobs), dirPath});
            std::printf("--jobs %d: %d files in %.2f s = %.0f files/s (%d output lines, exit %d)\n", jobs, files,
                        t.seconds, files / t.seconds, t.lines, t.exitCode);
            const double rate = files / t.seconds;
            best[jobs] = std::max(best[jobs], rate);
        }
    }
    const double speedUp = best[1] > 0 ? best[2] / best[1] : 0;
    std::printf("best: --jobs 1 %.0f files/s, --jobs 2 %.0f files/s (target at least 1000: %s), "
                "speed-up %.2f (target at least 1.7: %s)\n",
                best[1], best[2], best[2] >= 1000 ? "met" : "not met", speedUp, speedUp >= 1.7 ? "met" : "not met");
    return 0;
}
