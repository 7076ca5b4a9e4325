#include "qt/playback/playlistoutput.h"

#include "core/playback/midisink.h"
#include "qt/playback/runclock.h"
#include "qt/playback/synthesizer.h"

#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tunedeck {

struct PlayListOutput::Private {
    Private(PlayListOutput *owner, const SoundOptions &soundOptions, RunClock &runClock)
        : q(owner), options(soundOptions), clock(runClock)
    {
    }

    void ensureSink();
    void endPlayer();
    void run(std::vector<TimedEvent> events, std::shared_ptr<MidiSink> out, quint64 runGeneration);
    void pace();

    // Queued to the owner's thread; dropped on arrival when stop or close came in between.
    template <typename Emit>
    void notify(quint64 runGeneration, Emit emitSignal);
    // One event of a play to out, its notifications handed to notifyOwner.
    template <typename Notify>
    void send(MidiSink &out, const TimedEvent &event, bool &failed, Notify notifyOwner);

    PlayListOutput *const q;
    const SoundOptions options;
    RunClock &clock;
    bool isOpen = false;
    std::vector<TimedEvent> list; // append order

    std::shared_ptr<MidiSink> sink; // chosen at the first open, kept until destruction
    QString offReason;
    int volume = 100; // percent, given to every sink started

    quint64 generation = 0; // owner's thread only
    bool begun = false;     // a play has started since the last stop

    std::thread player;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopRequested = false; // guarded by mutex
    std::atomic<bool> playing{false};

    // A play paced by a driven clock's timer, on the owner's thread.
    RunTimer *pacer = nullptr;
    std::vector<TimedEvent> paced;
    std::size_t next = 0;    // the first event not yet sent
    std::int64_t origin = 0; // the clock's time at the play's start
    std::shared_ptr<MidiSink> pacedSink;
    bool pacedFailed = false;
};

template <typename Emit>
void PlayListOutput::Private::notify(quint64 runGeneration, Emit emitSignal)
{
    PlayListOutput *const out = q;
    QMetaObject::invokeMethod(
        out,
        [out, runGeneration, emitSignal] {
            if (out->d->generation == runGeneration)
                emitSignal(out);
        },
        Qt::QueuedConnection);
}

void PlayListOutput::Private::ensureSink()
{
    if (sink)
        return;
    if (options.silent) {
        // Asked for: nothing to warn about.
        sink = std::make_shared<NullSink>();
        offReason = QStringLiteral("Sound is off: silent mode");
        return;
    }
    SynthesizerStart start = startSynthesizer(options.soundFont);
    sink = std::move(start.sink);
    offReason = start.offReason;
    if (volume != 100)
        sink->setVolume(volume);
    if (!offReason.isEmpty()) {
        // Not tied to a play list: delivered even if a stop follows at once.
        const QString reason = offReason;
        QMetaObject::invokeMethod(
            q, [out = q, reason] { emit out->soundUnavailable(reason); }, Qt::QueuedConnection);
    }
}

void PlayListOutput::Private::endPlayer()
{
    {
        std::lock_guard lock(mutex);
        stopRequested = true;
    }
    wake.notify_all();
    if (player.joinable())
        player.join();
    if (pacer)
        pacer->stop();
    pacedSink.reset();
    begun = false;
    std::lock_guard lock(mutex);
    stopRequested = false;
    playing = false;
}

template <typename Notify>
void PlayListOutput::Private::send(MidiSink &out, const TimedEvent &event, bool &failed, Notify notifyOwner)
{
    if (isChannelMessage(event.status)) {
        const std::uint8_t data2 = hasOneDataByte(event.status) ? 0 : event.data2 & 0x7F;
        // One error per play: a broken output would otherwise flood the window.
        if (!out.send(event.status, event.data1 & 0x7F, data2) && !failed) {
            failed = true;
            QString message = QStringLiteral("The MIDI output failed to send status 0x%1 at %2 ms")
                                  .arg(event.status, 2, 16, QLatin1Char('0'))
                                  .arg(event.ms);
            const std::string why = out.failure();
            if (!why.empty())
                message += QStringLiteral(": ") + QString::fromStdString(why);
            notifyOwner([message](PlayListOutput *o) { emit o->error(message); });
        }
    }
    if (event.tag != 0) {
        const qint32 tag = event.tag;
        notifyOwner([tag](PlayListOutput *o) { emit o->playedEvent(tag); });
    }
}

void PlayListOutput::Private::run(std::vector<TimedEvent> events, std::shared_ptr<MidiSink> out,
                                  quint64 runGeneration)
{
    using Clock = std::chrono::steady_clock;
    try {
        // Absolute deadlines from one origin: a late wake-up delays one event, not the rest.
        const Clock::time_point origin = Clock::now();
        out->started(origin);
        bool failed = false;
        for (const TimedEvent &event : events) {
            {
                std::unique_lock lock(mutex);
                if (wake.wait_until(lock, origin + std::chrono::milliseconds(event.ms),
                                    [this] { return stopRequested; }))
                    return;
            }
            send(*out, event, failed, [&](auto emitSignal) { notify(runGeneration, emitSignal); });
        }
        playing = false;
        notify(runGeneration, [](PlayListOutput *o) { emit o->endOfData(); });
    } catch (const std::exception &e) {
        playing = false;
        const QString message = QStringLiteral("Playing stopped: %1").arg(QString::fromLocal8Bit(e.what()));
        notify(runGeneration, [message](PlayListOutput *o) { emit o->error(message); });
    }
}

void PlayListOutput::Private::pace()
{
    const quint64 runGeneration = generation;
    // At once, while this play is the one under way: a handler may stop it or start another.
    const auto atOnce = [this, runGeneration](auto emitSignal) {
        if (generation == runGeneration)
            emitSignal(q);
    };
    const std::shared_ptr<MidiSink> out = pacedSink; // a stop lets go of it
    try {
        while (next < paced.size() && paced[next].ms <= clock.now() - origin) {
            const TimedEvent event = paced[next++];
            send(*out, event, pacedFailed, atOnce);
            if (generation != runGeneration)
                return;
        }
        if (next < paced.size()) {
            pacer->setInterval(int(paced[next].ms - (clock.now() - origin)));
            pacer->start();
            return;
        }
        playing = false;
        emit q->endOfData();
    } catch (const std::exception &e) {
        playing = false;
        emit q->error(QStringLiteral("Playing stopped: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

PlayListOutput::PlayListOutput(const SoundOptions &options, QObject *parent)
    : PlayListOutput(options, systemClock(), parent)
{
}

PlayListOutput::PlayListOutput(const SoundOptions &options, RunClock &clock, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>(this, options, clock))
{
}

PlayListOutput::~PlayListOutput()
{
    stop();
}

void PlayListOutput::open()
{
    if (d->isOpen)
        close();
    d->ensureSink();
    d->isOpen = true;
}

void PlayListOutput::append(const TimedEvent &event)
{
    if (!d->isOpen) {
        d->notify(d->generation, [](PlayListOutput *o) {
            emit o->error(QStringLiteral("An event was appended while the MIDI output was closed"));
        });
        return;
    }
    d->list.push_back(event);
    d->list.back().ms = std::max(event.ms, 0); // before the start is at the start
}

void PlayListOutput::play()
{
    playFrom(0);
}

void PlayListOutput::playFrom(std::int32_t from)
{
    if (!d->isOpen) {
        d->notify(d->generation, [](PlayListOutput *o) {
            emit o->error(QStringLiteral("Play was asked while the MIDI output was closed"));
        });
        return;
    }
    // Playing again starts over; nothing of the earlier play is delivered any more.
    if (d->begun)
        stop();
    d->ensureSink();

    // Appending during play changes the next play, not this one.
    std::vector<TimedEvent> events = d->list;
    std::stable_sort(events.begin(), events.end(),
                     [](const TimedEvent &a, const TimedEvent &b) { return a.ms < b.ms; });
    if (from > 0) {
        d->sink->allOff();
        // What sounds from the point on: no note before it, but the channels as they were set.
        std::vector<TimedEvent> later;
        for (TimedEvent e : events) {
            const int kind = e.status & 0xF0;
            if (e.ms < from && kind != 0xB0 && kind != 0xC0 && kind != 0xD0 && kind != 0xE0)
                continue;
            e.ms = std::max(e.ms - from, 0);
            later.push_back(e);
        }
        events = std::move(later);
    }
    d->playing = true;
    if (!d->clock.isReal()) {
        if (!d->pacer) {
            d->pacer = d->clock.timer(QStringLiteral("PlayPacer"), 0, this);
            d->pacer->setSingleShot(true);
            connect(d->pacer, &RunTimer::timeout, this, [this] { d->pace(); });
        }
        d->paced = std::move(events);
        d->next = 0;
        d->origin = d->clock.now();
        d->pacedSink = d->sink;
        d->pacedFailed = false;
        d->begun = true;
        d->pacedSink->started(std::chrono::steady_clock::now());
        // As from the thread: the first events go once the owner's caller has returned.
        d->pacer->setInterval(0);
        d->pacer->start();
        return;
    }
    try {
        d->player = std::thread(&Private::run, d.get(), std::move(events), d->sink, d->generation);
        d->begun = true;
    } catch (const std::system_error &e) {
        d->playing = false;
        const QString message = QStringLiteral("The playing thread could not start: %1")
                                    .arg(QString::fromLocal8Bit(e.what()));
        d->notify(d->generation, [message](PlayListOutput *o) { emit o->error(message); });
    }
}

void PlayListOutput::stop()
{
    ++d->generation;
    d->endPlayer();
    if (d->sink)
        d->sink->allOff();
}

void PlayListOutput::close()
{
    stop();
    d->list.clear();
    d->list.shrink_to_fit();
    d->isOpen = false;
}

void PlayListOutput::setSink(std::shared_ptr<MidiSink> sink)
{
    stop();
    d->sink = std::move(sink);
    d->offReason.clear();
}

std::shared_ptr<MidiSink> PlayListOutput::sink()
{
    d->ensureSink();
    return d->sink;
}

void PlayListOutput::setVolume(int percent)
{
    d->volume = std::clamp(percent, 0, 100);
    if (d->sink)
        d->sink->setVolume(d->volume);
}

const SoundOptions &PlayListOutput::soundOptions() const
{
    return d->options;
}

bool PlayListOutput::isPlaying() const
{
    return d->playing;
}

QString PlayListOutput::soundOffReason() const
{
    return d->offReason;
}

QStringList PlayListOutput::diagnostics()
{
    return synthesizerDiagnostics();
}

} // namespace tunedeck
