// The note events of a file as the analyses read them: gathered from the chosen tracks with
// their tick times, then put in the one order the library is fed in.
#ifndef TUNEDECK_CORE_MIDI_NOTEEVENTS_H
#define TUNEDECK_CORE_MIDI_NOTEEVENTS_H

#include "core/base/noteevent.h"

#include <cstdint>
#include <vector>

namespace tunedeck {

class MidiFile;

constexpr int DrumChannel = 9; // MIDI channel 10
constexpr int LastChannel = 15; // MIDI channel 16: played, never analysed

// A fast detection holds at most this many note events ("Max =  64000").
constexpr int MaxNoteEvents = 64000;

// True when the status byte and its data make a note event that is analysed: note-on or
// note-off, never on channel 16, and not on the drum channel when all tracks are read.
// A note-on of velocity 0 is a note-off.
bool analysedNote(int status, bool allTracks);
NoteEvent makeNoteEvent(std::int32_t tick, int status, int note, int velocity, std::int32_t track);

// Every analysed note event of tracks first..last, track by track in file order.
// False when there are more than MaxNoteEvents: events then holds the first MaxNoteEvents.
bool gatherNoteEvents(const MidiFile &file, std::int32_t first, std::int32_t last, bool allTracks,
                      std::vector<NoteEvent> &events);

// The feed order, from gathering order: ascending tick; at one tick the events among the
// first 32000 gathered before the later ones; then note-ons before note-offs, by note, then
// by velocity; equal events keep their gathering order. The library refuses a time earlier
// than the one before, and this order makes every run reproducible to the event.
void putInFeedOrder(std::vector<NoteEvent> &events);

// Moves the events of every channel but the drums' by semitones, leaving out those pushed
// out of 1..127; the number of note-ons left out. Their note-offs go unheard and uncounted.
int transposeNoteEvents(std::vector<NoteEvent> &events, int semitones);

// Leaves out the events of notes the library refuses (libraryTakesNote), keeping the order
// of the others; the number of note-ons left out.
int leaveOutRefusedNotes(std::vector<NoteEvent> &events);

} // namespace tunedeck

#endif
