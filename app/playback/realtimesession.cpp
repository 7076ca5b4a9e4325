#include "playback/realtimesession.h"

#include "binding/tonalytelibrary.h"
#include "playback/midioutput.h"
#include "playback/playlist.h"

namespace tunedeck {

namespace {
constexpr std::int32_t NoteOn = 144, NoteOff = 128;
} // namespace

RealTimeSession::RealTimeSession(TonalyteLibrary &library, MidiOutput *output, LiveKeyView &view)
    : library_(library), output_(output), view_(view)
{
}

void RealTimeSession::prepare()
{
    stop();
    if (output_) {
        output_->setDevice(-1);
        output_->open();
    }
}

bool RealTimeSession::compose(const OpenFile &file, const TrackChoice &tracks)
{
    const std::optional<TrackRange> range = file.tracks(tracks);
    if (!range)
        return false;
    PlayList list = buildPlayList(file.midi(), *range, tracks.all, file.msPerTick());
    notes_ = std::move(list.notes);
    if (output_) {
        for (const TimedEvent &e : list.events) {
            output_->setEventTime(e.ms);
            output_->setEventTag(e.tag);
            output_->setEventStatus(e.status);
            output_->setEventData1(e.data1);
            output_->setEventData2(e.data2);
            output_->appendEvent();
        }
    }
    return true;
}

bool RealTimeSession::start(bool moreSensitive)
{
    library_.KeyClearEvs();
    library_.KeySetSensitive(sensitivityFlag(moreSensitive));
    library_.KeySetDetectMode(0);
    if (library_.KeyStartTimer() == 0)
        return false;
    if (output_)
        output_->play();
    return true;
}

void RealTimeSession::stop()
{
    if (output_)
        output_->stop();
    library_.KeyStopTimer();
    if (output_)
        output_->close();
}

void RealTimeSession::played(std::int32_t tag)
{
    if (tag < 1 || std::size_t(tag) > notes_.size())
        return;
    LiveKey key;
    key.note = notes_[std::size_t(tag - 1)];
    key.keyCode = key.note.on ? library_.KeySetTrkEvsR(NoteOn, key.note.note, key.note.velocity, &key.detail1, &key.detail2)
                              : library_.KeySetTrkEvsR(NoteOff, key.note.note, 0, &key.detail1, &key.detail2);
    if (key.keyCode < 0) {
        stop();
    } else {
        key.fitRatio = library_.KeyGetSsMinCur();
        key.inputCount = library_.KeyGetInpTCnt();
        key.tapCount = library_.KeyGetTapCnt();
        key.keyType = library_.KeyGetKeyType();
    }
    view_.showLiveKey(key);
}

std::uint32_t RealTimeSession::clock() const
{
    // The library counts unsigned; past 2^31 ms the clock keeps going up.
    return std::uint32_t(library_.KeyGetTimeTCnt());
}

KeyReports RealTimeSession::report(bool moreSensitive, bool allTracks, KeyCountChoice keys) const
{
    // The timeline is in milliseconds here: no bars.
    return buildReports(library_, moreSensitive, allTracks, false, 0, keys);
}

} // namespace tunedeck
