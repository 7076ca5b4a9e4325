// What the library answers to one note fed as it sounds: what the key display shows.
#ifndef TUNEDECK_CORE_PLAYBACK_TONALYTEANSWER_H
#define TUNEDECK_CORE_PLAYBACK_TONALYTEANSWER_H

#include "core/base/noteevent.h"

#include <cstdint>

namespace tunedeck {

// The library's answer to one played note.
struct TonalyteAnswer {
    NoteEvent note;
    std::int32_t keyCode = 0; // 0 for none; negative when the library refused the note
    std::int32_t detail1 = 0, detail2 = 0;
    float fitRatio = 0.0f;
    std::int32_t inputCount = 0, tapCount = 0, keyType = 0;
};

} // namespace tunedeck

#endif
