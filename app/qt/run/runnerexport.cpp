// Audio export: the chosen file rendered to WAV on a worker thread, from a copy of the file
// and the choices taken when it starts, so a run started meanwhile leaves it alone.
#include "qt/run/runner.h"

#include "qt/playback/renderfile.h"

#include <QMetaObject>

#include <system_error>

namespace tunedeck {

std::optional<std::int64_t> Runner::audioLength(const QString &path)
{
    if (!mayStart(state_) || !open(path))
        return std::nullopt;
    const AnalysisChoices c = choices();
    return renderLengthMs(file_, c.fast.tracks, c.fast.adjust, c.fast.channels);
}

bool Runner::exportAudio(const QString &wavPath, std::int64_t maxMs, bool normalise)
{
    if (!mayStart(state_) || export_.worker.joinable())
        return false;
    export_.cancel = false;
    const AnalysisChoices c = choices();
    const auto render = [this, file = file_, c, font = soundFont(), wavPath, maxMs, normalise] {
        int shown = -1; // in thousandths: the progress bar's steps
        const auto progress = [this, &shown](double done) {
            if (const int step = int(done * 1000); step != shown) {
                shown = step;
                QMetaObject::invokeMethod(this, [this, done] { emit exportProgress(done); }, Qt::QueuedConnection);
            }
            return !export_.cancel;
        };
        const RenderResult result =
            renderFile(file, c.fast.tracks, font, wavPath, progress, maxMs, c.fast.adjust, c.fast.channels, normalise);
        const QString error = result ? QString() : QString::fromStdString(result.error().reason);
        QMetaObject::invokeMethod(this, [this, wavPath, error] { finishExport(wavPath, error); },
                                  Qt::QueuedConnection);
    };
    try {
        export_.worker = std::thread(render);
    } catch (const std::system_error &e) {
        const QString error =
            QStringLiteral("The rendering thread could not start: %1").arg(QString::fromLocal8Bit(e.what()));
        QMetaObject::invokeMethod(this, [this, wavPath, error] { finishExport(wavPath, error); },
                                  Qt::QueuedConnection);
    }
    return true;
}

void Runner::cancelExport()
{
    export_.cancel = true;
}

void Runner::finishExport(const QString &wavPath, const QString &error)
{
    if (export_.worker.joinable())
        export_.worker.join();
    emit audioExported(wavPath, error);
}

} // namespace tunedeck
