// "1- Real Time Play" without a window: the play list composed from the chosen tracks, the
// library's clock started with the output, and every played note fed to the library. What
// the key display should show goes to the view by a direct call.
#ifndef TUNEDECK_CORE_PLAYBACK_REALTIMESESSION_H
#define TUNEDECK_CORE_PLAYBACK_REALTIMESESSION_H

#include "core/base/playadjust.h"
#include "core/fastdetect/fastdetection.h"
#include "core/midi/noteevents.h"
#include "core/fastdetect/openfile.h"
#include "core/playback/tonalyteanswer.h"
#include "core/playback/seekrebuild.h"

#include <cstdint>
#include <vector>

namespace tunedeck {

class MidiOutput;
class TonalyteEngine;

class AnswerView {
public:
    virtual ~AnswerView() = default;
    // ms: when the note sounded, in ms of the play.
    virtual void showAnswer(const TonalyteAnswer &key, std::int64_t ms) = 0;
};

// The library made ready for notes as they sound, as a play and listening both start it:
// events cleared, the sensitivity, live detection, its 1 ms clock started. False when the
// clock would not start.
bool startLiveDetection(TonalyteEngine &library, bool moreSensitive);

// One sounding note fed to the library, played from a file or heard from a keyboard, with
// the library's answer as the key display shows it.
TonalyteAnswer feedLiveNote(TonalyteEngine &library, const NoteEvent &note);

class RealTimeSession {
public:
    // output may be null: nothing plays, as in tests of the feed.
    RealTimeSession(TonalyteEngine &library, MidiOutput *output, AnswerView &view);

    // Ends any play and opens an empty play list on the default output.
    void prepare();
    // Composes the play list of the chosen tracks at the adjust's tempo and transposition;
    // false when the track is not in the file.
    bool compose(const OpenFile &file, const TrackChoice &tracks, const PlayAdjust &adjust = {},
                 const ChannelMask &channels = {});
    // The note-ons the last composed list left out, pushed out of range by its transposition.
    int leftOut() const { return leftOut_; }
    // The note-ons of note 0 in the last composed list: they sound, unfed to the library.
    int noteZeroLeftOut() const { return noteZeroLeftOut_; }
    // Resets the library and starts its clock with the play; false when the clock would
    // not start (nothing plays then).
    bool start(bool moreSensitive);
    // The stop sequence: output stopped, the library's clock stopped, output closed.
    void stop();

    // An event of the play list has been sent; its tag names the analysed note, if any.
    void played(std::int32_t tag);

    // The library's play clock in milliseconds: from the last seek point on, once a seek
    // has restarted it.
    std::uint32_t clock() const;
    // The play time up to which every note sent has been fed: the clock, or the time of a
    // note due but not yet reported back (it is on its way through the owner's queue).
    std::int64_t fedUpTo() const;

    // Goes to ms of the play: the library rebuilt from the notes before it, as a play from
    // the start has it there (seekrebuild.h), its clock reading ms. Playing, the output goes
    // on from ms; otherwise all stays still until the next seek.
    RebuiltState seek(std::int64_t ms, bool moreSensitive, bool playing, const RebuildNote &onNote = {});
    // Output and the library's clock stopped where the play is; a seek goes on.
    void pause();
    // The clock counts from 0 again, as listening reads it.
    void forgetPosition() { offset_ = 0; seeked_ = false; }
    // The time of the list's last event: how long the play lasts.
    std::int64_t length() const { return length_; }
    // No play list: another file, or a run that plays nothing.
    void forgetList();
    // Both reports, in minutes and seconds.
    KeyReports report(bool moreSensitive, bool allTracks, KeyCountChoice keys) const;

private:
    TonalyteEngine &library_;
    MidiOutput *output_;
    AnswerView &view_;
    std::vector<NoteEvent> notes_;
    std::vector<SentNote> sent_; // the notes as they are sent, for a seek's rebuild
    std::vector<std::size_t> sentAt_; // by tag - 1: the note's place in sent_
    std::size_t next_ = 0;            // in sent_: the first note not reported back yet
    std::int64_t length_ = 0;
    std::int64_t offset_ = 0; // the play time the library's clock started at
    bool seeked_ = false;     // the notes are fed at their play time from then on
    int leftOut_ = 0;
    int noteZeroLeftOut_ = 0;
};

} // namespace tunedeck

#endif
