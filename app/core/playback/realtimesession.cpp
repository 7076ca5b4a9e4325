#include "core/playback/realtimesession.h"

#include "core/tonalyte/tonalyteengine.h"
#include "core/playback/midioutput.h"
#include "core/playback/playlist.h"
#include "core/reports/runreports.h"

#include <algorithm>

namespace tunedeck {

namespace {
constexpr std::int32_t NoteOn = 144, NoteOff = 128;
} // namespace

bool startLiveDetection(TonalyteEngine &library, bool moreSensitive)
{
    library.KeyClearEvs();
    library.KeySetSensitive(sensitivityFlag(moreSensitive));
    library.KeySetDetectMode(0);
    return library.KeyStartTimer() != 0;
}

TonalyteAnswer feedLiveNote(TonalyteEngine &library, const NoteEvent &note)
{
    TonalyteAnswer key;
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

RealTimeSession::RealTimeSession(TonalyteEngine &library, MidiOutput *output, AnswerView &view)
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
    if (!range) {
        forgetList();
        return false;
    }
    PlayList list = buildPlayList(file.midi(), *range, tracks.all, file.msPerTick(), adjust, channels);
    sent_ = sentNotes(list);
    sentAt_.assign(list.notes.size(), 0);
    for (std::size_t i = 0; i < sent_.size(); ++i)
        sentAt_[std::size_t(sent_[i].tag - 1)] = i;
    next_ = 0;
    length_ = 0;
    for (const TimedEvent &e : list.events)
        length_ = std::max<std::int64_t>(length_, e.ms);
    notes_ = std::move(list.notes);
    leftOut_ = list.leftOut;
    noteZeroLeftOut_ = list.noteZeroLeftOut;
    if (output_)
        for (const TimedEvent &e : list.events)
            output_->append(e);
    return true;
}

bool RealTimeSession::start(bool moreSensitive)
{
    offset_ = 0;
    seeked_ = false;
    next_ = 0;
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
    const NoteEvent &note = notes_[std::size_t(tag - 1)];
    const TonalyteAnswer key = seeked_ ? feedLiveNoteAt(library_, note, clock()) : feedLiveNote(library_, note);
    if (key.keyCode < 0)
        stop();
    // The library stamps the note when it gets it; the note sounded at its time in the play,
    // however long the owner took to report it.
    const std::size_t at = sentAt_[std::size_t(tag - 1)];
    next_ = at + 1;
    view_.showAnswer(key, sent_[at].ms);
}

std::uint32_t RealTimeSession::clock() const
{
    // The library counts unsigned; past 2^31 ms the clock keeps going up.
    return std::uint32_t(offset_) + std::uint32_t(library_.KeyGetTimeTCnt());
}

void RealTimeSession::forgetList()
{
    notes_.clear();
    sent_.clear();
    sentAt_.clear();
    next_ = 0;
    length_ = 0;
    leftOut_ = 0;
    noteZeroLeftOut_ = 0;
}

std::int64_t RealTimeSession::fedUpTo() const
{
    const std::int64_t now = clock();
    return next_ < sent_.size() ? std::min(now, sent_[next_].ms) : now;
}

RebuiltState RealTimeSession::seek(std::int64_t ms, bool moreSensitive, bool playing, const RebuildNote &onNote)
{
    if (output_)
        output_->stop();
    library_.KeyStopTimer();
    const RebuiltState state = rebuildLiveState(library_, sent_, ms, moreSensitive, onNote);
    // The library's clock cannot be set: it counts again from 0, and the notes go in at
    // their play time, so a note held across the point lasts what it lasts in the play.
    offset_ = ms;
    seeked_ = true;
    next_ = state.next;
    if (playing && !state.refused && library_.KeyStartTimer() != 0 && output_)
        output_->playFrom(std::int32_t(ms));
    return state;
}

void RealTimeSession::pause()
{
    if (output_)
        output_->stop();
    library_.KeyStopTimer();
}

KeyReports RealTimeSession::report(bool moreSensitive, bool allTracks, KeyCountChoice keys) const
{
    // The timeline is in milliseconds here: no bars.
    return buildReports(library_, moreSensitive, allTracks, false, 0, keys);
}

} // namespace tunedeck
