#include "playback/livetrace.h"

#include "engine/tonalyteengine.h"
#include "fastdetect/meter.h"
#include "midi/trackwalk.h"
#include "playback/playlist.h"
#include "playback/seekrebuild.h"
#include "reports/numbertext.h"

#include <algorithm>
#include <cmath>

namespace tunedeck {

namespace {
constexpr std::int32_t NoteOn = 144, NoteOff = 128;

// What a play's whole-file analysis reads: the played notes as the fast run takes them (the
// chosen tracks, muted channels left out, transposed), the first MaxNoteEvents of them in
// time, cut where an instant begins. Returns false when that left some out: the analysis then
// covers the play up to its last event only.
bool playedEvents(const OpenFile &file, const TrackRange &range, const FastOptions &options,
                  std::vector<NoteEvent> &events)
{
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
} // namespace

std::optional<std::vector<LiveTracePoint>> liveTrace(TonalyteEngine &library, const OpenFile &file,
                                                     const FastOptions &options, const LiveTraceChoices &choices)
{
    const std::optional<TrackRange> range = file.tracks(options.tracks);
    if (!range)
        return std::nullopt;
    const PlayList list =
        buildPlayList(file.midi(), *range, options.tracks.all, file.msPerTick(), options.adjust, options.channels);
    const std::vector<SentNote> sent = sentNotes(list);

    // The file is known before it plays: the whole-file analysis of what is played.
    std::vector<NoteEvent> events;
    const bool whole = playedEvents(file, *range, options, events);
    const std::int64_t ticksPerBar =
        std::int64_t(file.ticksPerQuarter()) * Meters[std::size_t(meterIndex(options.meter))].beats;
    const profile::ProfileAnalysis analysis =
        profile::analyseProfile(events, file.ticksPerQuarter(), ticksPerBar, choices.analysis);

    // A play from the start is a seek to 0: the library started as a play starts it, with
    // the play's times in place of its clock's.
    profile::ProfileTracker tracker(choices.listening);
    const std::int64_t from = std::max<std::int64_t>(0, choices.fromSecond) * 1000;
    const RebuiltState rebuilt = rebuildLiveState(library, sent, from, options.moreSensitive,
                                                  [&tracker](const SentNote &n, std::int32_t) { tracker.note(n.ms, n.note); });
    std::vector<LiveTracePoint> out;
    const std::int64_t last = sent.empty() ? 0 : sent.back().ms;
    double msPerTick = file.msPerTick() > 0 ? double(file.msPerTick()) : 1.0;
    if (options.adjust.tempoPercent != 100 && options.adjust.tempoPercent > 0)
        msPerTick = msPerTick * 100.0 / options.adjust.tempoPercent; // a tick of the play at its tempo
    int tonalyte = rebuilt.refused ? 0 : rebuilt.key.keyCode;
    bool refused = rebuilt.refused;
    std::size_t next = rebuilt.next;
    for (std::int64_t second = from / 1000; second <= (last + 999) / 1000; ++second) {
        const std::int64_t ms = second * 1000;
        for (; next < sent.size() && sent[next].ms < ms; ++next) {
            const std::int64_t at = sent[next].ms;
            const NoteEvent &note = sent[next].note;
            tracker.note(at, note);
            if (refused)
                continue; // a play ends at a refused note; the trace goes on without the library
            const std::int32_t code = library.KeySetTrkEvsF(std::int32_t(at), note.on ? NoteOn : NoteOff, note.note,
                                                            note.on ? note.velocity : 0);
            refused = code < 0;
            tonalyte = refused ? 0 : code;
        }
        LiveTracePoint point{second, std::llround(double(ms) / msPerTick), tonalyte, tracker.readingAt(ms)};
        const profile::LocalKeyAt at = profile::localKeyAt(analysis, point.tick);
        point.listened = !whole && at.beyond;
        point.local = point.listened ? point.profile.keyCode : at.keyCode;
        point.localConfidence = point.listened ? point.profile.confidence : at.confidence;
        out.push_back(point);
    }
    return out;
}

std::string liveTraceLine(const LiveTracePoint &p)
{
    // In the order a reader expects them, which a JSON object would not keep.
    return "{\"second\":" + std::to_string(p.second) + ",\"tick\":" + std::to_string(p.tick)
           + ",\"tonalyte\":" + std::to_string(p.tonalyte) + ",\"profile\":" + std::to_string(p.profile.keyCode)
           + ",\"confidence\":" + significantDigits(std::round(p.profile.confidence * 1000) / 1000, 4)
           + ",\"sure\":" + (p.profile.sure ? "true" : "false") + ",\"local\":" + std::to_string(p.local)
           + ",\"localConfidence\":" + significantDigits(std::round(p.localConfidence * 1000) / 1000, 4)
           + (p.listened ? ",\"listened\":true}" : "}");
}

} // namespace tunedeck
