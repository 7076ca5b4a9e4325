#include "core/playback/livetrace.h"

#include "core/tonalyte/tonalyteengine.h"
#include "core/playback/livesession.h"
#include "core/playback/playkeys.h"
#include "core/playback/playlist.h"
#include "core/playback/seekrebuild.h"
#include "core/reports/numbertext.h"

#include <algorithm>
#include <cmath>

namespace tunedeck {

namespace {
constexpr std::int32_t NoteOn = 144, NoteOff = 128;
} // namespace

std::optional<std::vector<LiveTracePoint>> liveTrace(TonalyteEngine &library, const OpenFile &file,
                                                     const FastOptions &options, const LiveTraceChoices &choices)
{
    std::vector<LiveTracePoint> out;
    if (!liveTrace(library, file, options, choices, [&out](const LiveTracePoint &p) { out.push_back(p); }))
        return std::nullopt;
    return out;
}

bool liveTrace(TonalyteEngine &library, const OpenFile &file, const FastOptions &options,
               const LiveTraceChoices &choices, const std::function<void(const LiveTracePoint &)> &each)
{
    const std::optional<TrackRange> range = file.tracks(options.tracks);
    if (!range)
        return false;
    const PlayList list =
        buildPlayList(file.midi(), *range, options.tracks.all, file.msPerTick(), options.adjust, options.channels);
    const std::vector<SentNote> sent = sentNotes(list);

    // The file is known before it plays: the whole-file analysis of what is played.
    const std::optional<PlayKeys> keys = PlayKeys::of(file, options, choices.analysis, choices.keyNetwork, choices.musicBars);

    // A play from the start is a seek to 0: the library started as a play starts it, with
    // the play's times in place of its clock's. The session reads from the point on only.
    const std::int64_t from = std::max<std::int64_t>(0, choices.fromSecond) * 1000;
    LiveSession session(choices.listening);
    session.start(&*keys, from / 1000);
    const RebuiltState rebuilt = rebuildLiveState(library, sent, from, options.moreSensitive,
                                                  [&session](const SentNote &n, std::int32_t) { session.note(n.ms, n.note); });
    int tonalyte = rebuilt.refused ? 0 : rebuilt.key.keyCode;
    session.setListener({.read = [&](const LiveReading &r) {
        const std::int64_t ms = r.second * 1000;
        each({r.second, keys->tickAt(ms), tonalyte, r.heard, r.shown.reading.keyCode, r.shown.reading.confidence,
              r.shown.listened});
    }});
    bool refused = rebuilt.refused;
    for (std::size_t next = rebuilt.next; next < sent.size(); ++next) {
        const std::int64_t at = sent[next].ms;
        const NoteEvent &note = sent[next].note;
        session.note(at, note); // the seconds before it read first
        if (refused)
            continue; // a play ends at a refused note; the trace goes on without the library
        const std::int32_t code = library.KeySetTrkEvsF(std::int32_t(at), note.on ? NoteOn : NoteOff, note.note,
                                                        note.on ? note.velocity : 0);
        refused = code < 0;
        tonalyte = refused ? 0 : code;
    }
    const std::int64_t last = sent.empty() ? 0 : sent.back().ms;
    session.update((last + 999) / 1000 * 1000);
    return true;
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
