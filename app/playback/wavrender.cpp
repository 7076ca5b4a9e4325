#include "playback/wavrender.h"

#include "playback/fluidmessages.h"
#include "playback/synthesizer.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#if defined(_WIN32)
#  include <windows.h>
#  define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#endif
#include <sndfile.h>

#include <cmath>
#include <memory>

namespace tunedeck {

namespace {

constexpr int BlockFrames = 1024;

struct FluidDeleter {
    void operator()(fluid_settings_t *s) const { delete_fluid_settings(s); }
    void operator()(fluid_synth_t *s) const { delete_fluid_synth(s); }
};

Unexpected<Failure> failed(const QString &error)
{
    return failure(error.toStdString());
}

QString hours(std::int64_t ms)
{
    return QString::number(double(ms) / 3600000.0, 'f', 1);
}

// Removes what a failed render left, never a device or pipe named as the target.
void removePartial(const QString &path)
{
    if (QFileInfo(path).isFile())
        QFile::remove(path);
}

} // namespace

Result<> renderFits(std::int64_t lengthMs, int sampleRate, const QString &path, std::int64_t maxMs)
{
    if (lengthMs > maxMs)
        return failed(QStringLiteral("The audio would last %1 hours, longer than the limit of %2 hours")
                          .arg(hours(lengthMs), hours(maxMs)));
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return {}; // a device or pipe: its space is not a file system's
    const QStorageInfo storage(target.absolutePath());
    // 16-bit stereo after a 44-byte header; an existing file's bytes are freed by the rewrite.
    const std::int64_t bytes = 44 + lengthMs * sampleRate / 1000 * 4 - (target.exists() ? target.size() : 0);
    if (storage.isValid() && storage.isReady() && bytes > storage.bytesAvailable())
        return failed(QStringLiteral("%1 would take %2 MB, but only %3 MB are free there")
                          .arg(path, QString::number(bytes / 1000000 + 1), QString::number(storage.bytesAvailable() / 1000000)));
    return {};
}

RenderResult renderToWav(const std::vector<TimedEvent> &events, const QString &soundFont, const QString &path,
                         int sampleRate, int tailMs, const RenderProgress &progress, std::int64_t maxMs)
{
    if (sampleRate < 8000 || sampleRate > 192000)
        return failed(QStringLiteral("The sample rate %1 Hz is out of range").arg(sampleRate));
    const std::vector<TimedEvent> messages = channelMessagesInPlayOrder(events);
    const std::int64_t lengthMs = (messages.empty() ? 0 : messages.back().ms) + std::max(tailMs, 0);
    if (Result<> fits = renderFits(lengthMs, sampleRate, path, maxMs); !fits)
        return Unexpected(fits.error());
    routeSynthesizerLog();
    const QString font = soundFont.isEmpty() ? defaultSoundFont() : soundFont;
    if (font.isEmpty())
        return failed(QStringLiteral("No General MIDI soundfont found; install timgm6mb-soundfont or name one"));

    std::unique_ptr<fluid_settings_t, FluidDeleter> settings(new_fluid_settings());
    if (!settings)
        return failed(QStringLiteral("The synthesizer settings could not be created"));
    fluid_settings_setnum(settings.get(), "synth.sample-rate", sampleRate);
    fluid_settings_setint(settings.get(), "synth.threadsafe-api", 0); // one thread drives it
    std::unique_ptr<fluid_synth_t, FluidDeleter> synth(new_fluid_synth(settings.get()));
    if (!synth)
        return failed(QStringLiteral("The synthesizer could not be created"));
    if (fluid_synth_sfload(synth.get(), QFile::encodeName(font).constData(), 1) == FLUID_FAILED)
        return failed(QStringLiteral("The soundfont %1 could not be loaded").arg(font));

    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
#if defined(_WIN32)
    // Any file name, not only those of the local code page.
    SNDFILE *file = sf_wchar_open(reinterpret_cast<LPCWSTR>(path.utf16()), SFM_WRITE, &info);
#else
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
#endif
    if (!file)
        return failed(QStringLiteral("%1 could not be written: %2").arg(path, QString::fromLocal8Bit(sf_strerror(nullptr))));

    auto frameAt = [sampleRate](std::int64_t ms) { return ms * sampleRate / 1000; };
    const std::int64_t lastFrame = (messages.empty() ? 0 : frameAt(messages.back().ms)) + frameAt(std::max(tailMs, 0));

    RenderResult result = 0;
    std::int64_t frames = 0;
    short block[2 * BlockFrames];
    std::int64_t nextReport = 0;
    // Up to frame `until`; false when writing failed or the caller cancelled.
    auto renderUntil = [&](std::int64_t until) {
        while (frames < until) {
            const int n = int(std::min<std::int64_t>(BlockFrames, until - frames));
            fluid_synth_write_s16(synth.get(), n, block, 0, 2, block, 1, 2);
            if (sf_writef_short(file, block, n) != n) {
                result = failed(QStringLiteral("%1 could not be written: %2")
                                    .arg(path, QString::fromLocal8Bit(sf_strerror(file))));
                return false;
            }
            frames += n;
            if (progress && frames >= nextReport) {
                nextReport += 64 * BlockFrames;
                if (progress(double(frames) / double(std::max<std::int64_t>(lastFrame, 1))))
                    continue;
                result = failed(QStringLiteral("Rendering was cancelled"));
                return false;
            }
        }
        return true;
    };
    // FluidSynth takes a message at its next 64-frame step: within 1.5 ms at 44.1 kHz.
    for (const TimedEvent &e : messages) {
        if (!renderUntil(frameAt(e.ms)))
            break;
        sendToSynth(synth.get(), e.status, e.data1, e.data2);
    }
    if (result)
        renderUntil(lastFrame);
    if (sf_close(file) != 0 && result)
        result = failed(QStringLiteral("%1 could not be completed").arg(path));
    if (!result) {
        removePartial(path);
        return result;
    }
    if (progress)
        progress(1.0);
    return frames;
}

} // namespace tunedeck
