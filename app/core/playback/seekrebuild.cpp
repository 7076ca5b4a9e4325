#include "core/playback/seekrebuild.h"

#include "core/tonalyte/tonalyteengine.h"
#include "core/playback/playlist.h"
#include "core/playback/timedevents.h"

#include <algorithm>

namespace tunedeck {

namespace {
constexpr std::int32_t NoteOn = 144, NoteOff = 128;

std::int32_t feedAt(TonalyteEngine &library, const NoteEvent &note, std::int64_t ms)
{
    return library.KeySetTrkEvsF(std::int32_t(ms), note.on ? NoteOn : NoteOff, note.note, note.on ? note.velocity : 0);
}

// The counters the key display shows with an accepted answer.
void readCounters(TonalyteEngine &library, TonalyteAnswer &key)
{
    key.fitRatio = library.KeyGetSsMinCur();
    key.inputCount = library.KeyGetInpTCnt();
    key.tapCount = library.KeyGetTapCnt();
    key.keyType = library.KeyGetKeyType();
}

// The detail pair comes out of the real-time feed only, on every call: a note 0 is refused
// before it touches the state, so it reads the pair and changes nothing the next timed note
// depends on.
void readDetails(TonalyteEngine &library, TonalyteAnswer &key)
{
    library.KeySetTrkEvsR(NoteOff, 0, 0, &key.detail1, &key.detail2);
}
} // namespace

std::vector<SentNote> sentNotes(const PlayList &list)
{
    std::vector<SentNote> out;
    out.reserve(list.notes.size());
    for (const TimedEvent &e : channelMessagesInPlayOrder(list.events))
        if (e.tag > 0)
            out.push_back({e.ms, list.notes[std::size_t(e.tag - 1)], e.tag});
    return out;
}

RebuiltState rebuildLiveState(TonalyteEngine &library, const std::vector<SentNote> &notes, std::int64_t ms,
                              bool moreSensitive, const RebuildNote &onNote)
{
    library.KeyClearEvs();
    library.KeySetSensitive(sensitivityFlag(moreSensitive));
    library.KeySetDetectMode(0);
    RebuiltState state;
    state.next = std::size_t(
        std::lower_bound(notes.begin(), notes.end(), ms, [](const SentNote &n, std::int64_t t) { return n.ms < t; })
        - notes.begin());
    for (std::size_t i = 0; i < state.next; ++i) {
        const SentNote &n = notes[i];
        if (!state.refused) { // a play ends at a refused note
            state.key.note = n.note;
            state.key.keyCode = feedAt(library, n.note, n.ms);
            state.refused = state.key.keyCode < 0;
        }
        if (onNote)
            onNote(n, state.refused ? -1 : state.key.keyCode);
    }
    if (state.next > 0 && !state.refused) {
        readCounters(library, state.key);
        readDetails(library, state.key);
    }
    return state;
}

TonalyteAnswer feedLiveNoteAt(TonalyteEngine &library, const NoteEvent &note, std::int64_t ms)
{
    TonalyteAnswer key;
    key.note = note;
    key.keyCode = feedAt(library, note, ms);
    readDetails(library, key);
    if (key.keyCode >= 0)
        readCounters(library, key);
    return key;
}

} // namespace tunedeck
