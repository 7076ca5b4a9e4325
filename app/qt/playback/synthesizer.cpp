#include "qt/playback/synthesizer.h"

#include "qt/playback/fluidmessages.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <fluidsynth.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>

#if defined(__linux__)
#  include <dlfcn.h>
#endif

namespace tunedeck {

namespace {

constexpr std::size_t MaxDiagnostics = 300;

std::mutex logMutex;
std::deque<QString> logLines;
QStringList *logCapture = nullptr; // errors reported while an audio output is being opened

// error: the bare message of a failure, kept for the sound-off message while capturing.
void note(const QString &line, const QString &error = {})
{
    std::lock_guard lock(logMutex);
    logLines.push_back(line);
    if (logLines.size() > MaxDiagnostics)
        logLines.pop_front();
    if (!error.isEmpty() && logCapture)
        logCapture->append(error);
}

// FluidSynth logs from whichever thread it runs on, the audio thread included.
void fluidLog(int level, const char *message, void *)
{
    static const char *const names[] = {"panic", "error", "warning", "info", "debug"};
    const char *name = level >= 0 && level <= FLUID_DBG ? names[level] : "log";
    const QString text = QString::fromLocal8Bit(message ? message : "").trimmed();
    note(QStringLiteral("fluidsynth %1: %2").arg(QLatin1String(name), text),
         level == FLUID_PANIC || level == FLUID_ERR ? text : QString());
}

void routeFluidLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_PANIC, fluidLog, nullptr);
        fluid_set_log_function(FLUID_ERR, fluidLog, nullptr);
        fluid_set_log_function(FLUID_WARN, fluidLog, nullptr);
        fluid_set_log_function(FLUID_INFO, fluidLog, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

#if defined(__linux__)
// The ALSA library writes its own complaints to stderr (several lines on every machine
// without a sound card). While the audio output opens they go to the diagnostics instead,
// and the last one names the cause in the sound-off message.
using AlsaErrorHandler = void (*)(const char *, int, const char *, int, const char *, ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler);

void alsaError(const char *, int, const char *, int err, const char *format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    QString text = QString::fromLocal8Bit(buffer).trimmed();
    if (err != 0)
        text += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(err < 0 ? -err : err)));
    note(QStringLiteral("ALSA: ") + text, text);
}

class AlsaErrorsToDiagnostics {
public:
    AlsaErrorsToDiagnostics()
        : set_(reinterpret_cast<AlsaSetErrorHandler>(dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")))
    {
        if (set_)
            set_(alsaError);
    }
    ~AlsaErrorsToDiagnostics()
    {
        if (set_)
            set_(nullptr); // the library's own handler again
    }
    AlsaErrorsToDiagnostics(const AlsaErrorsToDiagnostics &) = delete;
    AlsaErrorsToDiagnostics &operator=(const AlsaErrorsToDiagnostics &) = delete;

private:
    AlsaSetErrorHandler set_;
};
#else
struct AlsaErrorsToDiagnostics {};
#endif

class FluidSynthSink final : public MidiSink {
public:
    ~FluidSynthSink() override
    {
        // Reverse order of creation: the driver renders from the synth, the synth reads
        // the settings.
        if (driver)
            delete_fluid_audio_driver(driver);
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }

    // A refused message (a note-off for a note that already died away, a note on a channel
    // whose program the soundfont lacks) is music the soundfont cannot play, not a fault of
    // the output; FluidSynth logs it.
    bool send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override
    {
        sendToSynth(synth, status, data1, data2);
        return true;
    }

    void allOff() override
    {
        for (int channel = 0; channel < 16; ++channel) {
            // A held pedal would keep released notes, and the next play's first notes, sounding.
            fluid_synth_cc(synth, channel, 64, 0);
            fluid_synth_cc(synth, channel, 66, 0);
            fluid_synth_all_notes_off(synth, channel);
            fluid_synth_all_sounds_off(synth, channel);
        }
    }

    void setVolume(int percent) override
    {
        if (baseGain < 0)
            baseGain = fluid_synth_get_gain(synth);
        fluid_synth_set_gain(synth, baseGain * float(percent) / 100.0f);
    }

    float baseGain = -1; // FluidSynth's own gain, taken as 100 %
    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;
    fluid_audio_driver_t *driver = nullptr;
};

QString settingText(fluid_settings_t *settings, const char *name)
{
    char *value = nullptr;
    if (fluid_settings_dupstr(settings, name, &value) != FLUID_OK || !value)
        return {};
    const QString text = QString::fromLocal8Bit(value);
    fluid_free(value);
    return text;
}

QStringList soundFontCandidates(fluid_settings_t *settings)
{
    QStringList candidates;
    for (const char *dir : {"/usr/share/sounds/sf2/", "/usr/share/soundfonts/"})
        for (const char *name : {"TimGM6mb.sf2", "FluidR3_GM.sf2", "default-GM.sf2"})
            candidates << QLatin1String(dir) + QLatin1String(name);
    const QString fallback = settingText(settings, "synth.default-soundfont");
    if (!fallback.isEmpty() && !candidates.contains(fallback))
        candidates << fallback;
    return candidates;
}

bool loadSoundFont(fluid_synth_t *synth, const QString &path)
{
    if (fluid_synth_sfload(synth, QFile::encodeName(path).constData(), 1) == FLUID_FAILED) {
        note(QStringLiteral("Soundfont %1 could not be loaded").arg(path));
        return false;
    }
    note(QStringLiteral("Soundfont: %1").arg(path));
    return true;
}

QString driverTitle(const QString &name)
{
    static const QHash<QString, QString> titles = {
        {QStringLiteral("alsa"), QStringLiteral("ALSA")},
        {QStringLiteral("pulseaudio"), QStringLiteral("PulseAudio")},
        {QStringLiteral("pipewire"), QStringLiteral("PipeWire")},
        {QStringLiteral("jack"), QStringLiteral("JACK")},
        {QStringLiteral("oss"), QStringLiteral("OSS")},
    };
    return titles.value(name, name.isEmpty() ? QStringLiteral("audio driver") : name);
}

SynthesizerStart silent(const QString &reason)
{
    note(reason);
    return {std::make_shared<NullSink>(), reason};
}

} // namespace

void routeSynthesizerLog()
{
    routeFluidLog();
}

QString defaultSoundFont()
{
    routeFluidLog();
    fluid_settings_t *settings = new_fluid_settings();
    QString found;
    if (settings) {
        for (const QString &path : soundFontCandidates(settings))
            if (QFileInfo(path).isFile()) {
                found = path;
                break;
            }
        delete_fluid_settings(settings);
    }
    return found;
}

SynthesizerStart startSynthesizer(const QString &soundFont)
{
    routeFluidLog();
    auto synth = std::make_unique<FluidSynthSink>();

    synth->settings = new_fluid_settings();
    if (!synth->settings)
        return silent(QStringLiteral("Sound is off: the synthesizer settings could not be created"));

    synth->synth = new_fluid_synth(synth->settings);
    if (!synth->synth)
        return silent(QStringLiteral("Sound is off: the synthesizer could not be created"));

    if (!soundFont.isEmpty()) {
        // The user named this one: playing another instead would hide the mistake.
        if (!loadSoundFont(synth->synth, soundFont))
            return silent(QStringLiteral("Sound is off: the soundfont %1 could not be loaded").arg(soundFont));
    } else {
        bool loaded = false;
        for (const QString &path : soundFontCandidates(synth->settings)) {
            if (QFileInfo(path).isFile() && loadSoundFont(synth->synth, path)) {
                loaded = true;
                break;
            }
        }
        if (!loaded)
            return silent(QStringLiteral("Sound is off: no General MIDI soundfont found; "
                                         "install timgm6mb-soundfont or pass --soundfont"));
    }

    const QString driverName = settingText(synth->settings, "audio.driver");
    QStringList errors;
    {
        AlsaErrorsToDiagnostics alsaErrors;
        {
            std::lock_guard lock(logMutex);
            logCapture = &errors;
        }
        synth->driver = new_fluid_audio_driver(synth->settings, synth->synth);
        std::lock_guard lock(logMutex);
        logCapture = nullptr;
    }
    if (!synth->driver) {
        QString detail = driverTitle(driverName);
        // The last two name the cause (the audio library's, then FluidSynth's own).
        if (!errors.isEmpty())
            detail += QStringLiteral(": ") + errors.mid(qMax(0, errors.size() - 2)).join(QStringLiteral("; "));
        return silent(QStringLiteral("Sound is off: no audio output could be opened (%1)").arg(detail));
    }
    note(QStringLiteral("Audio output: %1").arg(driverName));
    return {std::shared_ptr<MidiSink>(std::move(synth)), {}};
}

QStringList synthesizerDiagnostics()
{
    std::lock_guard lock(logMutex);
    return QStringList(logLines.begin(), logLines.end());
}

} // namespace tunedeck
