// The profile analysis of a run's events with the chords in its local keys, and the hook
// another model of the local keys plugs into: the key network (core/keymodel), an experiment
// of the command and Python, which install it as they start. The analysis and a play's keys
// ask for it here rather than calling it, so that a front end that does not offer it (the
// page, the window) does not link its weights.
#ifndef TUNEDECK_CORE_CHORDS_KEYSANDCHORDS_H
#define TUNEDECK_CORE_CHORDS_KEYSANDCHORDS_H

#include "core/base/noteevent.h"
#include "core/chords/chordanalysis.h"
#include "core/profile/profileanalysis.h"

#include <vector>

namespace tunedeck::chords {

// Puts the model's local keys into `keys` and returns the chords of the events in them.
using LocalKeyModel = std::vector<ChordSegment> (*)(const std::vector<NoteEvent> &events, const ChordClock &clock,
                                                    profile::ProfileAnalysis &keys);

// Once, before any analysis asks for it; analyses in any thread read it afterwards.
void installLocalKeyModel(LocalKeyModel model);
bool localKeyModelInstalled();

struct KeysAndChords {
    profile::ProfileAnalysis keys;
    std::vector<ChordSegment> chords; // empty unless asked for
};

// The profile analysis of the events (a run's, in feed order) and, withChords, the chords in
// its local keys. withModel: the local keys are the installed model's, which reads the
// present chords (so they are found for it either way); without a model installed the
// analysis' own stand.
// notes: the events' notes if the caller paired them already (for the clock), else nullptr.
KeysAndChords analyseKeysAndChords(const std::vector<NoteEvent> &events, const ChordClock &clock,
                                   const profile::AnalysisOptions &options, bool withModel, bool withChords = true,
                                   const std::vector<SpanNote> *notes = nullptr);

} // namespace tunedeck::chords

#endif
