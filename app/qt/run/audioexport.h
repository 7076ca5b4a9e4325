// Audio export: the chosen file rendered to WAV as a play would sound it, on a worker
// thread, from a copy of the file and of the choices taken when it starts, so a run started
// meanwhile leaves it alone. It asks the runner whether a run may start now, to open the
// file as a run does, for the choices and for the soundfont plays use.
#ifndef TUNEDECK_QT_RUN_AUDIOEXPORT_H
#define TUNEDECK_QT_RUN_AUDIOEXPORT_H

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <optional>
#include <thread>

namespace tunedeck {

class Runner;

class AudioExport : public QObject {
    Q_OBJECT
public:
    explicit AudioExport(Runner &runner, QObject *parent = nullptr);
    // A render still going is cancelled and waited for.
    ~AudioExport() override;

    // First how long the render of path would last, the file opened as a run opens it;
    // nothing when no run may start now or the file is refused.
    std::optional<std::int64_t> length(const QString &path);
    // Then the render of that file into wavPath, refused past maxMs, normalised or at the
    // synthesizer's level; progress and finished follow. False while another render runs
    // or a run holds the file.
    bool start(const QString &wavPath, std::int64_t maxMs, bool normalise = false);
    // The render stops at its next block and says it was cancelled.
    void cancel();

signals:
    // The share done (0..1), and the end: error is empty when wavPath was written, else
    // why not (a cancel too).
    void progress(double done);
    void finished(const QString &wavPath, const QString &error);

private:
    void finish(const QString &wavPath, const QString &error);

    Runner &runner_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
};

} // namespace tunedeck

#endif
