// "2- Fast Detect" without a window: the chosen tracks' note events gathered, put in order
// and fed to the library with their tick times. reports/runreports reads what it found.
#ifndef TUNEDECK_CORE_FASTDETECT_FASTDETECTION_H
#define TUNEDECK_CORE_FASTDETECT_FASTDETECTION_H

#include "core/base/choices.h"
#include "core/base/keyreports.h"
#include "core/base/playadjust.h"
#include "core/midi/noteevents.h"
#include "core/fastdetect/openfile.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tunedeck {

class TonalyteEngine;

// How a fast detection ended.
enum class FastOutcome { NotRun, FileRefused, TrackNotFound, OutOfBuffer, NoData, LibraryError, Cancelled, Reported };

// The library run's part of the run's choices (AnalysisChoices::fast).
struct FastOptions {
    TrackChoice tracks;
    bool moreSensitive = false;
    int meter = DefaultMeter; // position in the meter list
    KeyCountChoice keys = DefaultKeyCount;
    // The run reads only the transposition: it reads ticks, which no tempo changes. A play
    // takes both.
    PlayAdjust adjust;
    // Muted channels' notes are not analysed, as they are not heard.
    ChannelMask channels;
};

// After each fed event: how many were handled before it, and the bar it falls in.
struct FeedProgress {
    int handled = 0;
    std::int64_t bar = 0;
};

enum class FeedEnd { Complete, Cancelled, LibraryError };

struct FeedResult {
    FeedEnd end = FeedEnd::Complete;
    int handled = 0;              // events fed and accepted before the loop ended
    std::int64_t lastBar = 0;     // bar of the last event fed; 0 when none was
    std::int32_t lastKeyCode = 0; // the library's answer to it
};

// Feeds the events in their order. keepGoing runs after every fed event (the window lets
// its events through there); false ends the feed as cancelled.
FeedResult feedEvents(TonalyteEngine &library, const std::vector<NoteEvent> &events, std::int32_t ticksPerBar,
                      const std::function<bool(const FeedProgress &)> &keepGoing = {});

// The note-ons a run leaves out of both analyses, by why.
struct LeftOutNotes {
    int transposed = 0; // pushed out of 1..127 by the transposition
    int refused = 0;    // of note 0, which the library refuses
};

// The gathered events as a run feeds them: muted channels' notes left out, transposed, in
// feed order, notes the library refuses left out.
LeftOutNotes prepareRunEvents(std::vector<NoteEvent> &events, const FastOptions &options);

// The chosen tracks' events as a run takes them, however many there are: the first
// MaxNoteEvents of them in time, cut where an instant begins. False when that left some out
// (a file past the event buffer): what the profile analysis reads of it, and a play shows.
bool eventsUpToLimit(const OpenFile &file, const TrackRange &range, const FastOptions &options,
                     std::vector<NoteEvent> &events);

struct FastDetection {
    FastOutcome outcome = FastOutcome::NotRun;
    std::vector<NoteEvent> events; // in feed order, transposed
    int leftOut = 0;               // note-ons the transposition pushed out of 1..127
    int noteZeroLeftOut = 0;       // note-ons of note 0, which the library refuses
    int meter = 2;                 // the meter used, its position in the list
    std::int32_t ticksPerBar = 0;
    FeedResult feed;
    std::int32_t keyCode = 0; // the key in force at the end: the overall key when one was found
    KeyReports reports;       // once reported, when the outcome is Reported or Cancelled
};

// Where a window follows the run.
struct FastRunHooks {
    std::function<void(const FastDetection &)> gathered; // the events are in hand: the result display resets
    std::function<void(int events)> feeding;             // the library is ready for the first event
    std::function<bool(const FeedProgress &)> keepGoing;
};

// One run on an open file, up to the end of the feed. The library is reset unless the
// tracks or the store refuse.
FastDetection runFastDetection(TonalyteEngine &library, const OpenFile &file, const FastOptions &options,
                               const FastRunHooks &hooks = {});

} // namespace tunedeck

#endif
