// A seek without a replay: the library's state at a point of the play rebuilt from the notes
// sent before it, as a listener who had played the file from the start would have it.
#ifndef TUNEDECK_CORE_PLAYBACK_SEEKREBUILD_H
#define TUNEDECK_CORE_PLAYBACK_SEEKREBUILD_H

#include "core/base/noteevent.h"
#include "core/playback/tonalyteanswer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tunedeck {

struct PlayList;
class TonalyteEngine;

// An analysed note as the output sends it, at its time in the play.
struct SentNote {
    std::int64_t ms = 0;
    NoteEvent note;
    std::int32_t tag = 0; // as the output reports it
};

// The play list's analysed notes in the order the output sends them.
std::vector<SentNote> sentNotes(const PlayList &list);

struct RebuiltState {
    std::size_t next = 0; // the first note at or after the point
    TonalyteAnswer key;          // the answer to the last note fed; keyCode 0 when none was
    bool refused = false; // a note before the point was refused: the play had stopped there
};

// Sees each note fed in a rebuild with the library's answer (negative once it refused one).
using RebuildNote = std::function<void(const SentNote &note, std::int32_t keyCode)>;

// Starts the library as a play does (without its clock) and feeds it every note sent before
// ms at its time in the play. onNote sees each of those notes, fed or not after a refusal,
// so the live tracker rebuilds from the same ones.
RebuiltState rebuildLiveState(TonalyteEngine &library, const std::vector<SentNote> &notes, std::int64_t ms,
                              bool moreSensitive, const RebuildNote &onNote = {});

// One note fed at its time in the play, for a play that went on from a seek: the library's
// clock then counts from the seek point, not from the start its state was built on.
TonalyteAnswer feedLiveNoteAt(TonalyteEngine &library, const NoteEvent &note, std::int64_t ms);

} // namespace tunedeck

#endif
