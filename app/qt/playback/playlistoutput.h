// The MIDI output component: a timed play list played on its own thread through a
// synthesizer, with notifications delivered on the thread that owns the component. On a
// clock a test drives, the clock's timer paces the play on the owner's thread instead, and
// each notification comes as its event is sent.
#ifndef TUNEDECK_QT_PLAYBACK_PLAYLISTOUTPUT_H
#define TUNEDECK_QT_PLAYBACK_PLAYLISTOUTPUT_H

#include "core/playback/midioutput.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace tunedeck {

class MidiSink;
class RunClock;

struct SoundOptions {
    bool silent = false;  // never open an audio output (tests, machines without sound)
    QString soundFont;    // a .sf2 to use instead of the system's General MIDI soundfont
};

class PlayListOutput : public QObject, public MidiOutput {
    Q_OBJECT
public:
    explicit PlayListOutput(const SoundOptions &options = {}, QObject *parent = nullptr);
    PlayListOutput(const SoundOptions &options, RunClock &clock, QObject *parent = nullptr);
    ~PlayListOutput() override;

    void open() override;
    void append(const TimedEvent &event) override;
    void play() override;
    void playFrom(std::int32_t ms) override;
    void stop() override;
    void close() override;

    // Stops any play and from then on plays through sink instead of the synthesizer (tests,
    // measurements); null goes back to the synthesizer at the next open.
    void setSink(std::shared_ptr<MidiSink> sink);
    // Where plays go, started now if it was not yet: the sink set, else the synthesizer (what
    // a live input plays through).
    std::shared_ptr<MidiSink> sink();
    const SoundOptions &soundOptions() const;
    // The master volume, 0..100 %, of the sink now and of any started later.
    void setVolume(int percent);

    bool isPlaying() const;
    // Empty while sound works; otherwise why it is off.
    QString soundOffReason() const;
    // What the synthesizer and the audio library reported (soundfont, audio output, their
    // warnings and errors), oldest first.
    static QStringList diagnostics();

signals:
    void playedEvent(qint32 tag);   // an event with a non-zero tag has been sent
    void endOfData();               // once, after the last event of the list
    void error(const QString &message);
    void soundUnavailable(const QString &reason); // once, the first time sound cannot start

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tunedeck

#endif
