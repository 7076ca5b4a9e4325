// The piano roll of the chosen tracks and the candidate keys' bars, beside the window's
// controls: filled from the file when a play starts or a fast run ends, from the notes heard
// while listening; the roll following the play clock, the bars from each run's reports;
// above the roll the play's position, where a click, as on the roll, seeks; along it the
// chords of the last fast run or of what a play plays.
#ifndef TUNEDECK_QT_WINDOWS_PIANOROLLPANEL_H
#define TUNEDECK_QT_WINDOWS_PIANOROLLPANEL_H

#include "core/pianoroll/pianorolldata.h"
#include "core/playback/timedevents.h"
#include "qt/run/runner.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QHBoxLayout;

namespace tunedeck {

class KeyBarChart;
class KeyMapWidget;
class PianoRollWidget;
class Runner;
class TransportBar;

class PianoRollPanel : public QWidget {
    Q_OBJECT
public:
    // How often the play position moves on the roll.
    static constexpr int FrameIntervalMs = 40;

    // keyMap: the window's key map, whose keys tint the roll.
    PianoRollPanel(KeyMapWidget &keyMap, QWidget *parent = nullptr);

    // choices: the chosen tracks and the mix, read when a run starts or ends.
    void follow(Runner &runner, std::function<AnalysisChoices()> choices);

    PianoRollWidget *roll() const { return roll_; }
    TransportBar *transport() const { return transport_; }
    KeyBarChart *tonalyteBars() const { return tonalyteBars_; }
    KeyBarChart *profileBars() const { return profileBars_; }
    // How the bars name their keys.
    void setNotation(Notation notation);
    // The chord lane's Roman numerals under the symbols, a remembered choice.
    QCheckBox *romanNumerals() const { return roman_; }
    // The roll's zoom: in, out and the whole piece (Ctrl++, Ctrl+-, Ctrl+0).
    QAction *zoomIn() const { return zoomIn_; }
    QAction *zoomOut() const { return zoomOut_; }
    QAction *wholePiece() const { return wholePiece_; }

private:
    void showFastRun(const FileAnalysis &analysis);
    void loadFile(std::vector<RollChord> chords);
    void loadHeard();
    void updateKeys();
    void frame();
    // The view options under the roll: the numerals and the zoom's buttons.
    QHBoxLayout *viewOptions();

    KeyMapWidget &keyMap_;
    Runner *runner_ = nullptr;
    RunState shown_ = RunState::Idle; // the run state the panel last followed
    std::function<AnalysisChoices()> choices_;
    TransportBar *transport_;
    PianoRollWidget *roll_;
    KeyBarChart *tonalyteBars_;
    KeyBarChart *profileBars_;
    QCheckBox *roman_;
    QAction *zoomIn_;
    QAction *zoomOut_;
    QAction *wholePiece_;
    QTimer frames_;
    double msPerBar_ = 0;
    double msBarOne_ = 0;
    int framesSinceKeys_ = 0;
    std::vector<TimedEvent> heard_; // while listening: the notes taken, timed by its clock
};

} // namespace tunedeck

#endif
