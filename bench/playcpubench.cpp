// What a silent "1- Real Time Play" of a generated 64,000-event file costs the processor in
// the real window, with the piano roll in view and with its dock hidden: the difference is
// what following the play in the roll costs. Run under a display (xvfb-run for a virtual
// one): tunedeck_playcpu_bench [seconds per play]
#include "qt/binding/tonalytelibrary.h"
#include "qt/playback/playlistoutput.h"
#include "qt/run/runner.h"
#include "qt/windows/frmzon.h"
#include "benchfiles.h"
#include "midiwriter.h"

#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace tunedeck;

namespace {

void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Percent of one core the whole process used over `seconds` of a play, after a second to
// settle.
double playCost(FrmZon &window, int seconds)
{
    window.findChild<QPushButton *>(QStringLiteral("CmdPlay"))->click();
    runEvents(1000);
    QElapsedTimer wall;
    const std::clock_t cpu = std::clock(); // every thread of the process on POSIX systems
    wall.start();
    runEvents(seconds * 1000);
    const double used = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    if (window.runner().clock() < std::uint32_t(seconds) * 1000)
        std::fprintf(stderr, "the play stopped early, at %u ms\n", window.runner().clock());
    window.findChild<QPushButton *>(QStringLiteral("CmdStop"))->click();
    runEvents(200);
    return 100.0 * used / elapsed;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("64000.mid"));
    bench::modulatingFile().save(path.toStdString());

    TonalyteLibrary library;
    PlayListOutput output(SoundOptions{true, {}});
    FrmZon window(library, &output);
    if (!window.Form_Initialize(false))
        return 1;
    window.resize(1400, 900);
    window.show();
    window.selectMidiFile(path);
    runEvents(300);

    auto *roll = window.findChild<QDockWidget *>(QStringLiteral("PianoRollDock"));
    const double shown = playCost(window, seconds);
    roll->hide();
    runEvents(200);
    const double hidden = playCost(window, seconds);
    std::printf("silent play of 64000 events, %d s each (%s): roll shown %.1f %% of a core, "
                "roll hidden %.1f %%, the roll's share %.1f %%\n",
                seconds, qPrintable(QGuiApplication::platformName()), shown, hidden, shown - hidden);
    return 0;
}
