// The piano roll's data: the notes of a play list as {start, end, pitch, channel} in ms, the
// keys behind them and the chords along them. Plain C++, no Qt: built once per file, read by
// the painter.
#ifndef TUNEDECK_CORE_PIANOROLL_PIANOROLLDATA_H
#define TUNEDECK_CORE_PIANOROLL_PIANOROLLDATA_H

#include "core/base/keycodes.h"
#include "core/harmony/chord.h"
#include "core/keymap/keymapdata.h"
#include "core/playback/timedevents.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace tunedeck {

// One sounding note. It lasts at least 1 ms, so that a note whose off comes at its on's
// time can still be found and seen.
struct RollNote {
    std::int32_t startMs = 0;
    std::int32_t endMs = 0; // exclusive
    std::uint8_t pitch = 0;
    std::uint8_t channel = 0; // 0..15
    bool muted = false;       // its channel is muted: neither heard nor analysed

    friend bool operator==(const RollNote &, const RollNote &) = default;
};

// A stretch of one key behind the notes, from startMs up to endMs (exclusive).
struct RollKey {
    std::int32_t startMs = 0;
    std::int32_t endMs = 0;
    int keyCode = 0;
    bool unsure = false;

    friend bool operator==(const RollKey &, const RollKey &) = default;
};

// A chord along the roll, from startMs up to endMs (exclusive), with the key it is named in.
struct RollChord {
    std::int32_t startMs = 0;
    std::int32_t endMs = 0;
    harmony::Chord chord;
    int keyCode = NoKey;
    std::optional<harmony::WrittenChord> written; // as a score writes it
    std::int64_t bar = 1; // where it starts in the analysis' bars
    double beat = 1;
    double confidence = 0; // how often a chord shown so is right

    friend bool operator==(const RollChord &, const RollChord &) = default;
};

struct PianoRollData {
    std::vector<RollNote> notes; // by start, then pitch
    std::int32_t longestMs = 0;  // the longest note: bounds how far back a range looks
    std::int32_t endMs = 0;      // the time of the last event
    int lowPitch = 60, highPitch = 71; // the pitches sounding, widened to at least an octave
    std::vector<RollKey> keys;   // in order, not overlapping
    std::vector<RollChord> chords; // in order, not overlapping

    bool empty() const { return notes.empty(); }
};

// The notes of a play list's events (any order of tracks; each track's events in time
// order, as the play list keeps them). A note-off, or a note-on of velocity 0, ends the
// earliest sounding note of its pitch and channel; an off with none sounding is ignored.
// Notes still sounding at the end last until the last event of the list.
PianoRollData rollFromEvents(std::span<const TimedEvent> events);

// The notes overlapping [fromMs, toMs), in order of start: a binary search for the first
// note that may still sound at fromMs (started at most longestMs before), then forward.
template <class F>
void forEachNoteIn(const PianoRollData &data, std::int32_t fromMs, std::int32_t toMs, F &&f);
std::vector<std::size_t> notesIn(const PianoRollData &data, std::int32_t fromMs, std::int32_t toMs);

// The keys of a key map row in ms; msOf gives the start of a position of the map's unit
// (and of the one after its last). Without it the positions are seconds: s starts at s * 1000.
std::vector<RollKey> rollKeysFromRow(const KeyMapData::Row &row,
                                     const std::function<std::int64_t(std::int64_t)> &msOf = {});

// The key at a time; 0 when none.
int rollKeyAt(const PianoRollData &data, std::int32_t ms);

template <class F>
void forEachNoteIn(const PianoRollData &data, std::int32_t fromMs, std::int32_t toMs, F &&f)
{
    const auto &notes = data.notes;
    const std::int64_t earliest = std::int64_t(fromMs) - data.longestMs;
    std::size_t lo = 0, hi = notes.size();
    while (lo < hi) { // the first note starting after `earliest`
        const std::size_t mid = lo + (hi - lo) / 2;
        if (notes[mid].startMs <= earliest)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (std::size_t i = lo; i < notes.size() && notes[i].startMs < toMs; ++i)
        if (notes[i].endMs > fromMs)
            f(i, notes[i]);
}

} // namespace tunedeck

#endif
