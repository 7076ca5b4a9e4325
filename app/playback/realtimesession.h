// "1- Real Time Play" without a window: the play list composed from the chosen tracks, the
// library's clock started with the output, and every played note fed to the library. What
// the key display should show goes to the view by a direct call.
#ifndef TUNEDECK_REALTIMESESSION_H
#define TUNEDECK_REALTIMESESSION_H

#include "base/playadjust.h"
#include "fastdetect/fastdetection.h"
#include "fastdetect/noteevents.h"
#include "fastdetect/openfile.h"

#include <cstdint>
#include <vector>

namespace tunedeck {

class MidiOutput;
class TonalyteLibrary;

// The library's answer to one played note.
struct LiveKey {
    NoteEvent note;
    std::int32_t keyCode = 0; // 0 for none; negative when the library refused the note
    std::int32_t detail1 = 0, detail2 = 0;
    float fitRatio = 0.0f;
    std::int32_t inputCount = 0, tapCount = 0, keyType = 0;
};

class LiveKeyView {
public:
    virtual ~LiveKeyView() = default;
    virtual void showLiveKey(const LiveKey &key) = 0;
};

// The library made ready for notes as they sound, as a play and listening both start it:
// events cleared, the sensitivity, live detection, its 1 ms clock started. False when the
// clock would not start.
bool startLiveDetection(TonalyteLibrary &library, bool moreSensitive);

// One sounding note fed to the library, played from a file or heard from a keyboard, with
// the library's answer as the key display shows it.
LiveKey feedLiveNote(TonalyteLibrary &library, const NoteEvent &note);

class RealTimeSession {
public:
    // output may be null: nothing plays, as in tests of the feed.
    RealTimeSession(TonalyteLibrary &library, MidiOutput *output, LiveKeyView &view);

    // Ends any play and opens an empty play list on the default output.
    void prepare();
    // Composes the play list of the chosen tracks at the adjust's tempo and transposition;
    // false when the track is not in the file.
    bool compose(const OpenFile &file, const TrackChoice &tracks, const PlayAdjust &adjust = {},
                 const ChannelMask &channels = {});
    // The note-ons the last composed list left out, pushed out of range by its transposition.
    int leftOut() const { return leftOut_; }
    // Resets the library and starts its clock with the play; false when the clock would
    // not start (nothing plays then).
    bool start(bool moreSensitive);
    // The stop sequence: output stopped, the library's clock stopped, output closed.
    void stop();

    // An event of the play list has been sent; its tag names the analysed note, if any.
    void played(std::int32_t tag);

    // The library's play clock in milliseconds.
    std::uint32_t clock() const;
    // Both reports, in minutes and seconds.
    KeyReports report(bool moreSensitive, bool allTracks, KeyCountChoice keys) const;

private:
    TonalyteLibrary &library_;
    MidiOutput *output_;
    LiveKeyView &view_;
    std::vector<NoteEvent> notes_;
    int leftOut_ = 0;
};

} // namespace tunedeck

#endif
