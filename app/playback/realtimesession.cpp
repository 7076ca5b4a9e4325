#include "playback/realtimesession.h"

#include "binding/tonalytelibrary.h"
#include "playback/midioutput.h"
#include "playback/playlist.h"
#include "reports/runreports.h"

namespace tunedeck {

namespace {
constexpr std::int32_t NoteOn = 144, NoteOff = 128;
} // namespace

bool startLiveDetection(TonalyteLibrary &library, bool moreSensitive)
{
    library.KeyClearEvs();
    library.KeySetSensitive(sensitivityFlag(moreSensitive));
    library.KeySetDetectMode(0);
    return library.KeyStartTimer() != 0;
}

LiveKey feedLiveNote(TonalyteLibrary &library, const NoteEvent &note)
{
    LiveKey key;
    key.note = note;
    key.keyCode = note.on ? library.KeySetTrkEvsR(NoteOn, note.note, note.velocity, &key.detail1, &key.detail2)
                          : library.KeySetTrkEvsR(NoteOff, note.note, 0, &key.detail1, &key.detail2);
    if (key.keyCode >= 0) {
        key.fitRatio = library.KeyGetSsMinCur();
        key.inputCount = library.KeyGetInpTCnt();
        key.tapCount = library.KeyGetTapCnt();
        key.keyType = library.KeyGetKeyType();
    }
    return key;
}

RealTimeSession::RealTimeSession(TonalyteLibrary &library, MidiOutput *output, LiveKeyView &view)
    : library_(library), output_(output), view_(view)
{
}

void RealTimeSession::prepare()
{
    stop();
    if (output_)
        output_->open();
}

bool RealTimeSession::compose(const OpenFile &file, const TrackChoice &tracks, const PlayAdjust &adjust,
                              const ChannelMask &channels)
{
    const std::optional<TrackRange> range = file.tracks(tracks);
    if (!range)
        return false;
    PlayList list = buildPlayList(file.midi(), *range, tracks.all, file.msPerTick(), adjust, channels);
    notes_ = std::move(list.notes);
    leftOut_ = list.leftOut;
    if (output_)
        for (const TimedEvent &e : list.events)
            output_->append(e);
    return true;
}

bool RealTimeSession::start(bool moreSensitive)
{
    if (!startLiveDetection(library_, moreSensitive))
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
    const LiveKey key = feedLiveNote(library_, notes_[std::size_t(tag - 1)]);
    if (key.keyCode < 0)
        stop();
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
