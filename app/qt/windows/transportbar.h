// The play's position above the piano roll: elapsed time as the play clock reads it, a
// slider to seek by click or drag (also while paused), the length of the play, and pause /
// go on. Enabled while a play of the file runs; the runner does the seeking. Listening shows
// its time so far, without a length.
#ifndef TUNEDECK_QT_WINDOWS_TRANSPORTBAR_H
#define TUNEDECK_QT_WINDOWS_TRANSPORTBAR_H

#include <QTimer>
#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

namespace tunedeck {

class Runner;

class TransportBar : public QWidget {
    Q_OBJECT
public:
    explicit TransportBar(QWidget *parent = nullptr);

    void follow(Runner &runner);
    QSlider *slider() const { return slider_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPosition();
    void showLength(std::int64_t ms);
    void showPaused(bool paused);

    Runner *runner_ = nullptr;
    bool playing_ = false; // a play of the file runs, paused or about to end
    bool listening_ = false;
    QLabel *elapsed_; // what the play clock reads
    QSlider *slider_;
    QLabel *total_;
    QToolButton *pause_;
    QTimer refresh_;
};

} // namespace tunedeck

#endif
