#include "core/fastdetect/fastdetection.h"

#include "core/tonalyte/tonalyteengine.h"
#include "core/fastdetect/meter.h"
#include "core/midi/trackwalk.h"

#include <algorithm>
#include <vector>

namespace tunedeck {

namespace {
constexpr std::int32_t NoteOn = 144, NoteOff = 128;
} // namespace

FeedResult feedEvents(TonalyteEngine &library, const std::vector<NoteEvent> &events, std::int32_t ticksPerBar,
                      const std::function<bool(const FeedProgress &)> &keepGoing)
{
    FeedResult r;
    const std::int64_t barTicks = ticksPerBar > 0 ? ticksPerBar : 1;
    for (const NoteEvent &e : events) {
        // 64-bit: a 16-bit bar number would wrap from bar 32768 on.
        r.lastBar = std::int64_t(e.tick) / barTicks + 1;
        r.lastKeyCode = library.KeySetTrkEvsF(e.tick, e.on ? NoteOn : NoteOff, e.note, e.on ? e.velocity : 0);
        if (keepGoing && !keepGoing({r.handled, r.lastBar})) {
            r.end = FeedEnd::Cancelled;
            return r;
        }
        if (r.lastKeyCode < 0) {
            r.end = FeedEnd::LibraryError;
            return r;
        }
        ++r.handled;
    }
    return r;
}

LeftOutNotes prepareRunEvents(std::vector<NoteEvent> &events, const FastOptions &options)
{
    if (options.channels.muted != 0)
        std::erase_if(events, [&](const NoteEvent &e) { return !options.channels.heard(e.channel); });
    LeftOutNotes leftOut;
    // Before the order, which sorts by note.
    leftOut.transposed = transposeNoteEvents(events, options.adjust.transpose);
    leftOut.refused = leaveOutRefusedNotes(events);
    putInFeedOrder(events);
    return leftOut;
}

bool eventsUpToLimit(const OpenFile &file, const TrackRange &range, const FastOptions &options,
                     std::vector<NoteEvent> &events)
{
    events.clear();
    walkTracks(file.midi(), range.first, range.last, [&](std::int32_t tick, std::int32_t track, const MidiEvent &ev) {
        if (analysedNote(ev.status, options.tracks.all))
            events.push_back(makeNoteEvent(tick, ev.status, ev.data1, ev.data2, track));
        return true;
    });
    prepareRunEvents(events, options);
    if (events.size() <= std::size_t(MaxNoteEvents))
        return true;
    std::stable_sort(events.begin(), events.end(), [](const NoteEvent &a, const NoteEvent &b) { return a.tick < b.tick; });
    const std::int32_t cut = events[std::size_t(MaxNoteEvents)].tick;
    std::erase_if(events, [cut](const NoteEvent &e) { return e.tick >= cut; });
    return false;
}

FastDetection runFastDetection(TonalyteEngine &library, const OpenFile &file, const FastOptions &options,
                               const FastRunHooks &hooks)
{
    FastDetection run;
    const std::optional<TrackRange> tracks = file.tracks(options.tracks);
    if (!tracks) {
        run.outcome = FastOutcome::TrackNotFound;
        return run;
    }
    // Known before the events are: a file past the buffer is analysed up to it in these bars.
    run.meter = meterIndex(options.meter);
    run.ticksPerBar = std::int32_t(file.ticksPerQuarter()) * Meters[std::size_t(run.meter)].beats;
    if (!gatherNoteEvents(file.midi(), tracks->first, tracks->last, options.tracks.all, run.events)) {
        run.outcome = FastOutcome::OutOfBuffer;
        return run;
    }
    const LeftOutNotes leftOut = prepareRunEvents(run.events, options);
    run.leftOut = leftOut.transposed;
    run.noteZeroLeftOut = leftOut.refused;
    if (hooks.gathered)
        hooks.gathered(run);

    library.KeyClearEvs();
    if (run.events.empty()) {
        run.outcome = FastOutcome::NoData;
        return run;
    }
    library.KeySetSensitive(sensitivityFlag(options.moreSensitive));
    library.KeySetDetectMode(1);
    if (hooks.feeding)
        hooks.feeding(int(run.events.size()));

    run.feed = feedEvents(library, run.events, run.ticksPerBar, hooks.keepGoing);
    run.keyCode = run.feed.lastKeyCode;
    if (run.feed.end == FeedEnd::LibraryError) {
        run.outcome = FastOutcome::LibraryError;
        return run;
    }
    run.outcome = run.feed.end == FeedEnd::Cancelled ? FastOutcome::Cancelled : FastOutcome::Reported;
    return run;
}

} // namespace tunedeck
