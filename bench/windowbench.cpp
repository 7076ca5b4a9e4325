// "2- Fast Detect" in the real window on a generated file of 64,000 note events: how long
// the click takes, with the window processing its events after every fed event.
// Run under a display (xvfb-run for a virtual one): tunedeck_window_bench [runs]
#include "qt/binding/tonalytelibrary.h"
#include "qt/windows/frmzon.h"
#include "benchfiles.h"
#include "midiwriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace tunedeck;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("64000.mid"));
    const midiwriter::File f = bench::scaleFile();
    f.save(path.toStdString());

    TonalyteLibrary library;
    FrmZon window(library, nullptr);
    if (!window.Form_Initialize(false))
        return 1;
    window.show();
    window.selectMidiFile(path);
    QApplication::processEvents();
    auto *button = window.findChild<QPushButton *>(QStringLiteral("CmdFastDetect"));

    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        button->click();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("64000 events in the window: median %.0f ms, fastest %.0f ms, slowest %.0f ms (%d runs, %s)\n",
                ms[ms.size() / 2], ms.front(), ms.back(), runs, qPrintable(QGuiApplication::platformName()));
    return 0;
}
