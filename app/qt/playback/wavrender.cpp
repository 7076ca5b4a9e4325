#include "qt/playback/wavrender.h"

#include "qt/playback/fluidmessages.h"
#include "qt/playback/synthesizer.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#if defined(_WIN32)
#  include <windows.h>
#  define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#endif
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

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

// A synthesizer of its own with the soundfont loaded.
struct Synth {
    std::unique_ptr<fluid_settings_t, FluidDeleter> settings;
    std::unique_ptr<fluid_synth_t, FluidDeleter> synth; // goes before its settings
    fluid_synth_t *get() const { return synth.get(); }
};

Result<Synth> newSynth(const QString &font, int sampleRate)
{
    Synth s;
    s.settings.reset(new_fluid_settings());
    if (!s.settings)
        return failed(QStringLiteral("The synthesizer settings could not be created"));
    fluid_settings_setnum(s.settings.get(), "synth.sample-rate", sampleRate);
    fluid_settings_setint(s.settings.get(), "synth.threadsafe-api", 0); // one thread drives it
    s.synth.reset(new_fluid_synth(s.settings.get()));
    if (!s.synth)
        return failed(QStringLiteral("The synthesizer could not be created"));
    if (fluid_synth_sfload(s.get(), QFile::encodeName(font).constData(), 1) == FLUID_FAILED)
        return failed(QStringLiteral("The soundfont %1 could not be loaded").arg(font));
    return s;
}

// The synthesizer driven through the messages up to lastFrame, BlockFrames at a time: each
// block(frames done, n) renders n frames and keeps them; false from it stops the play.
// FluidSynth takes a message at its next 64-frame step: within 1.5 ms at 44.1 kHz.
template <typename Block>
bool play(fluid_synth_t *synth, const std::vector<TimedEvent> &messages, std::int64_t lastFrame, int sampleRate,
          Block block)
{
    std::int64_t frames = 0;
    const auto until = [&](std::int64_t end) {
        while (frames < end) {
            const int n = int(std::min<std::int64_t>(BlockFrames, end - frames));
            if (!block(frames, n))
                return false;
            frames += n;
        }
        return true;
    };
    for (const TimedEvent &e : messages) {
        if (!until(std::int64_t(e.ms) * sampleRate / 1000))
            return false;
        sendToSynth(synth, e.status, e.data1, e.data2);
    }
    return until(lastFrame);
}

// Removes what a failed render left, never a device or pipe named as the target.
void removePartial(const QString &path)
{
    if (QFileInfo(path).isFile())
        QFile::remove(path);
}

// One render's messages and frames, and its progress over its passes: the caller hears of
// it every 64 blocks, and a cancel or a failed write is kept as the render's result.
struct Render {
    const std::vector<TimedEvent> &messages;
    std::int64_t lastFrame;
    int sampleRate;
    const RenderProgress &progress;
    int passes;
    std::int64_t nextReport = 0;
    RenderResult result = 0;

    // The progress of a pass at a frame; false when the caller cancelled.
    bool reported(int pass, std::int64_t frames)
    {
        if (!progress || frames < nextReport)
            return true;
        nextReport += 64 * BlockFrames;
        const double done = (pass + double(frames) / double(std::max<std::int64_t>(lastFrame, 1))) / passes;
        if (progress(done))
            return true;
        result = failed(QStringLiteral("Rendering was cancelled"));
        return false;
    }

    template <typename Block>
    bool play(fluid_synth_t *synth, Block block) const
    {
        return tunedeck::play(synth, messages, lastFrame, sampleRate, block);
    }
};

// The first pass of a normalised render: the gain that puts its loudest sample at
// NormalisedPeakDbfs (1 for silence), or why not.
Result<double> peakGain(Render &render, const QString &font)
{
    Result<Synth> synth = newSynth(font, render.sampleRate);
    if (!synth)
        return Unexpected(synth.error());
    float block[2 * BlockFrames];
    float peak = 0;
    const bool played = render.play(synth->get(), [&](std::int64_t frames, int n) {
        fluid_synth_write_float(synth->get(), n, block, 0, 2, block, 1, 2);
        for (int i = 0; i < 2 * n; ++i)
            peak = std::max(peak, std::abs(block[i]));
        return render.reported(0, frames + n);
    });
    if (!played)
        return Unexpected(render.result.error());
    render.nextReport = 0;
    return peak > 0 ? std::pow(10.0, NormalisedPeakDbfs / 20.0) / peak : 1.0;
}

SNDFILE *openWav(const QString &path, int sampleRate)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
#if defined(_WIN32)
    // Any file name, not only those of the local code page.
    return sf_wchar_open(reinterpret_cast<LPCWSTR>(path.utf16()), SFM_WRITE, &info);
#else
    return sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
#endif
}

// The last pass, written to file: with a gain, scaled on the synthesizer's float samples and
// rounded to 16 bits once; without, the synthesizer's own 16 bits. The frames written; a
// failure is left in render.result.
std::int64_t writeFrames(Render &render, fluid_synth_t *synth, SNDFILE *file, const QString &path,
                         std::optional<double> gain)
{
    std::int64_t written = 0;
    const auto writeFailed = [&] {
        render.result = failed(QStringLiteral("%1 could not be written: %2").arg(path, QString::fromLocal8Bit(sf_strerror(file))));
        return false;
    };
    if (gain) {
        float block[2 * BlockFrames];
        render.play(synth, [&](std::int64_t frames, int n) {
            fluid_synth_write_float(synth, n, block, 0, 2, block, 1, 2);
            for (int i = 0; i < 2 * n; ++i)
                block[i] = std::clamp(float(block[i] * *gain), -1.0f, 1.0f);
            if (sf_writef_float(file, block, n) != n)
                return writeFailed();
            written += n;
            return render.reported(render.passes - 1, frames + n);
        });
    } else {
        short block[2 * BlockFrames];
        render.play(synth, [&](std::int64_t frames, int n) {
            fluid_synth_write_s16(synth, n, block, 0, 2, block, 1, 2);
            if (sf_writef_short(file, block, n) != n)
                return writeFailed();
            written += n;
            return render.reported(0, frames + n);
        });
    }
    return written;
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
                         int sampleRate, int tailMs, const RenderProgress &progress, std::int64_t maxMs, bool normalise)
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

    auto frameAt = [sampleRate](std::int64_t ms) { return ms * sampleRate / 1000; };
    const std::int64_t lastFrame = (messages.empty() ? 0 : frameAt(messages.back().ms)) + frameAt(std::max(tailMs, 0));
    // A normalised render plays the file twice: first to find its peak, then to write it.
    Render render{messages, lastFrame, sampleRate, progress, normalise ? 2 : 1};
    std::optional<double> gain;
    if (normalise) {
        const Result<double> peak = peakGain(render, font);
        if (!peak)
            return Unexpected(peak.error());
        gain = *peak;
    }
    Result<Synth> synth = newSynth(font, sampleRate);
    if (!synth)
        return Unexpected(synth.error());
    SNDFILE *file = openWav(path, sampleRate);
    if (!file)
        return failed(QStringLiteral("%1 could not be written: %2").arg(path, QString::fromLocal8Bit(sf_strerror(nullptr))));
    const std::int64_t written = writeFrames(render, synth->get(), file, path, gain);
    if (sf_close(file) != 0 && render.result)
        render.result = failed(QStringLiteral("%1 could not be completed").arg(path));
    if (!render.result) {
        removePartial(path);
        return render.result;
    }
    if (progress)
        progress(1.0);
    return written;
}

} // namespace tunedeck
