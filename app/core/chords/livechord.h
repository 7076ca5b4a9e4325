// The chord heard while listening: the notes of the last second, as they sounded, named as
// the chord analysis names a beat's notes. Timed in milliseconds, so it needs no beat.
#ifndef TUNEDECK_CORE_CHORDS_LIVECHORD_H
#define TUNEDECK_CORE_CHORDS_LIVECHORD_H

#include "core/base/noteevent.h"
#include "core/harmony/chord.h"

#include <cstdint>
#include <vector>

namespace tunedeck::chords {

class LiveChord {
public:
    static constexpr std::int64_t SpanMs = 1000;

    void clear();
    // A note event heard at ms; times go forward, an earlier one counts as the last. Drums
    // (channel 10) never count.
    void note(std::int64_t ms, const NoteEvent &event);
    // The chord of the second before ms; no chord when nothing sounded in it.
    harmony::Chord chordAt(std::int64_t ms) const;

private:
    struct Heard {
        int channel = 0;
        int pitch = 0;
        std::int64_t startMs = 0;
        std::int64_t endMs = -1; // -1 while it sounds
    };
    std::vector<Heard> heard_;
    std::int64_t lastMs_ = 0;
};

} // namespace tunedeck::chords

#endif
