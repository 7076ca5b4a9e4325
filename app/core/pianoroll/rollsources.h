// Where a run's piano roll comes from: the chosen tracks' play list, the keys of its key map
// and the chords of its analysis in ms. Plain C++.
#ifndef TUNEDECK_CORE_PIANOROLL_ROLLSOURCES_H
#define TUNEDECK_CORE_PIANOROLL_ROLLSOURCES_H

#include "core/base/choices.h"
#include "core/base/playadjust.h"
#include "core/chords/chordanalysis.h"
#include "core/fastdetect/openfile.h"
#include "core/keymap/keymapdata.h"
#include "core/pianoroll/pianorolldata.h"

#include <optional>
#include <span>

namespace tunedeck {

// The notes of the chosen tracks, timed and moved as a play with the adjust plays them, those
// of the channels muted marked so; nothing when the chosen track is not in the file.
std::optional<PianoRollData> rollOfFile(const OpenFile &file, const TrackChoice &tracks, const PlayAdjust &adjust = {},
                                        const ChannelMask &channels = {});

// The keys behind the roll: the map's row titled preferredRow when it has any key, else its
// first row that has. A map in bars needs the ms of a bar (bars are numbered from 1, the first
// from 0 ms) and where bar 1 of a grid off tick 0 would start.
std::vector<RollKey> rollKeysOfMap(const KeyMapData &map, const std::string &preferredRow, double msPerBar,
                                   double msBarOne = 0);

// The chords of an analysis in ms, a tick lasting msPerTick (at the play's tempo, as the
// notes are timed).
std::vector<RollChord> rollChords(std::span<const chords::ChordSegment> segments, double msPerTick);

} // namespace tunedeck

#endif
