// What the window tests share: the program with its real library on a clock the test
// drives, and a test file.
#ifndef TUNEDECK_TESTS_FRMZONTESTSUPPORT_H
#define TUNEDECK_TESTS_FRMZONTESTSUPPORT_H

#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include "qt/keymap/keymapwidget.h"
#include "qt/binding/tonalytelibrary.h"
#include "qt/windows/frmzon.h"
#include "midiwriter.h"
#include "testclock.h"
#include "windowtestmain.h"
#include "qt/windows/notifylabel.h"
#include "qt/playback/playlistoutput.h"

#include <functional>
#include <memory>

using namespace tunedeck;

namespace {

// The real library, found beside the test through the platform's library search.
struct Program {
    TestClock clock;
    TonalyteLibrary library;
    FrmZon window{library, nullptr, clock};

    // The main window's own control: the chord-name window has a LblHaStr too.
    template <typename W = QWidget>
    W *child(const char *name)
    {
        for (W *found : window.findChildren<W *>(QLatin1String(name)))
            if (found->window() == &window)
                return found;
        return nullptr;
    }
    QString text(const char *name) { return child<QLabel>(name)->text(); }
};

[[maybe_unused]] std::unique_ptr<Program> startedProgram()
{
    auto program = std::make_unique<Program>();
    if (!program->window.Form_Initialize())
        return nullptr;
    program->window.show();
    return program;
}

// The text of whatever control the name stands for.
[[maybe_unused]] QString controlText(QWidget *w)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title();
    return QStringLiteral("<no text>");
}

// A major cadence, I-IV-V-I four times, in a format 1 file with a tempo track.
[[maybe_unused]] midiwriter::File cadenceFile(int tonic, int repeats = 4)
{
    midiwriter::File file(1, 480);
    file.addTrack().tempo(500000);
    midiwriter::Track &track = file.addTrack();
    const int chords[4][3] = {{0, 4, 7}, {5, 9, 12}, {7, 11, 14}, {0, 4, 7}};
    for (int r = 0; r < repeats; ++r)
        for (const auto &chord : chords) {
            for (int step : chord)
                track.noteOn(0, tonic + step, 90);
            track.wait(480);
            for (int step : chord)
                track.noteOff(0, tonic + step);
        }
    return file;
}

} // namespace

#endif
