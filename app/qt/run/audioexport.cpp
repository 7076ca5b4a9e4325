#include "qt/run/audioexport.h"

#include "qt/playback/renderfile.h"
#include "qt/run/runner.h"

#include <QMetaObject>

#include <system_error>

namespace tunedeck {

AudioExport::AudioExport(Runner &runner, QObject *parent) : QObject(parent), runner_(runner) {}

AudioExport::~AudioExport()
{
    cancel();
    if (worker_.joinable())
        worker_.join();
}

std::optional<std::int64_t> AudioExport::length(const QString &path)
{
    if (!mayStart(runner_.state()) || !runner_.open(path))
        return std::nullopt;
    const AnalysisChoices c = runner_.choices();
    return renderLengthMs(runner_.file(), c.fast.tracks, c.fast.adjust, c.fast.channels);
}

bool AudioExport::start(const QString &wavPath, std::int64_t maxMs, bool normalise)
{
    if (!mayStart(runner_.state()) || worker_.joinable())
        return false;
    cancel_ = false;
    const AnalysisChoices c = runner_.choices();
    const auto render = [this, file = runner_.file(), c, font = runner_.soundFont(), wavPath, maxMs, normalise] {
        int shown = -1; // in thousandths: the progress bar's steps
        const auto report = [this, &shown](double done) {
            if (const int step = int(done * 1000); step != shown) {
                shown = step;
                QMetaObject::invokeMethod(this, [this, done] { emit progress(done); }, Qt::QueuedConnection);
            }
            return !cancel_;
        };
        const RenderResult result =
            renderFile(file, c.fast.tracks, font, wavPath, report, maxMs, c.fast.adjust, c.fast.channels, normalise);
        const QString error = result ? QString() : QString::fromStdString(result.error().reason);
        QMetaObject::invokeMethod(this, [this, wavPath, error] { finish(wavPath, error); }, Qt::QueuedConnection);
    };
    try {
        worker_ = std::thread(render);
    } catch (const std::system_error &e) {
        const QString error =
            QStringLiteral("The rendering thread could not start: %1").arg(QString::fromLocal8Bit(e.what()));
        QMetaObject::invokeMethod(this, [this, wavPath, error] { finish(wavPath, error); }, Qt::QueuedConnection);
    }
    return true;
}

void AudioExport::cancel()
{
    cancel_ = true;
}

void AudioExport::finish(const QString &wavPath, const QString &error)
{
    if (worker_.joinable())
        worker_.join();
    emit finished(wavPath, error);
}

} // namespace tunedeck
