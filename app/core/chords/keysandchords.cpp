#include "core/chords/keysandchords.h"

#include <atomic>

namespace tunedeck::chords {

namespace {

std::atomic<LocalKeyModel> installed{nullptr};

} // namespace

void installLocalKeyModel(LocalKeyModel model)
{
    installed.store(model);
}

bool localKeyModelInstalled()
{
    return installed.load() != nullptr;
}

KeysAndChords analyseKeysAndChords(const std::vector<NoteEvent> &events, const ChordClock &clock,
                                   const profile::AnalysisOptions &options, bool withModel, bool withChords,
                                   const std::vector<SpanNote> *notes)
{
    KeysAndChords out;
    out.keys = profile::analyseProfile(events, clock.ticksPerQuarter, clock.ticksPerBar, options, {clock.barStart, clock.pickup, clock.barLines});
    const LocalKeyModel model = withModel ? installed.load() : nullptr;
    if (model) {
        out.chords = model(events, clock, out.keys);
        out.keys.keyNetwork = true;
    }
    else if (withChords)
        out.chords = notes ? analyseChords(*notes, clock, out.keys) : analyseChords(events, clock, out.keys);
    if (!withChords)
        out.chords.clear();
    return out;
}

} // namespace tunedeck::chords
