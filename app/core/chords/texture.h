// What kind of texture a piece's notes make: how many notes sound at once, how often they
// start and how many fall outside the scale of the moment. Chords read from block chords are
// right more often than equally sure-looking chords read from a moving accompaniment, and
// those more often in plain diatonic music than in chromatic, so the confidences are
// calibrated per kind.
#ifndef TUNEDECK_CORE_CHORDS_TEXTURE_H
#define TUNEDECK_CORE_CHORDS_TEXTURE_H

#include "core/chords/chordframes.h"

#include <cstdint>
#include <span>

namespace tunedeck::chords {

enum class Texture : std::uint8_t {
    Thin,      // one or two notes at a time: a tune, a duet
    Block,     // chords struck together: hymns, chorales, textbook examples
    Diatonic,  // voices moving, within the scale: pop songs
    Chromatic, // voices moving, off the scale: madrigals
    Figured,   // a figured accompaniment, off the scale: art songs
};
constexpr int TextureCount = 5;

struct TextureFigures {
    double voices = 0;         // notes sounding at once, while any sounds
    double onsetsPerVoice = 0; // onsets a quarter note, per voice
    double chromatic = 0;      // the share of the sounding time outside the best major scale of each 8 frames
};
// From the notes, by start, and the frames of their pitch classes' sounding time.
TextureFigures textureFigures(std::span<const SpanNote> notes, std::span<const FrameFeatures> frames,
                              int ticksPerQuarter);
Texture textureOf(const TextureFigures &figures);

} // namespace tunedeck::chords

#endif
