// The frames the chords are found in, and the steps they are decoded in: a beat is one step,
// or its two halves where the bass moves within it (the harmony of chorales and art songs
// often changes with the bass between beats, pop songs' seldom).
#ifndef TUNEDECK_CORE_CHORDS_CHORDSTEPS_H
#define TUNEDECK_CORE_CHORDS_CHORDSTEPS_H

#include "core/chords/beatgrid.h"
#include "core/chords/chordframes.h"
#include "core/chords/chordmodel.h"
#include "core/chords/texture.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

// The frames the chords are found in: beats from the notes, split in framesPerBeat, from the
// first at or before tick 0 to the last note's end.
struct ChordFrames {
    std::int64_t start = 0;  // the first frame's first tick
    std::int64_t length = 1; // ticks a frame
    std::int64_t lastTick = 0;
    std::vector<FrameFeatures> features;
    std::vector<FrameInput> inputs;
    std::vector<bool> onBeat;
    std::vector<FrameFeatures> halves; // each frame's two halves, where a frame has an even length
    std::vector<std::int8_t> bassLine, halvesBassLine; // where read: each one's bass line note (bassline.h)
    Texture texture = Texture::Diatonic;
    TextureFigures figures; // what the texture was read from
    std::vector<std::uint16_t> underMelody; // with the colours' boosts: each frame's pitch classes below the melody (undermelody.h)
};

// Where the frames lie: from the first at or before tick 0, enough to reach lastTick. Longer
// pieces get longer frames (twice as long, as often as needed), which bounds memory and time
// whatever a file's ticks say.
struct FrameGrid {
    std::int64_t start = 0; // the first frame's first tick, at or before 0
    std::int64_t length = 1;
    std::size_t count = 0;
};
FrameGrid frameGrid(const BeatGrid &grid, std::int64_t lastTick, int framesPerBeat);

// The frames' features, `count` of them from frames.start on, with their halves where a frame
// has an even length.
void fillFeatures(ChordFrames &frames, std::span<const SpanNote> notes, std::size_t count);

// The steps: the frames themselves where no beat is split, else copies with the split beats'
// halves in their places.
struct ChordSteps {
    const ChordFrames *frames = nullptr;
    std::vector<std::int64_t> ticks; // each step's first tick, then the last one's end
    std::vector<FrameFeatures> splitFeatures;
    std::vector<FrameInput> splitInputs;
    std::vector<bool> splitOnBeat;
    std::vector<std::size_t> splitFrame; // the frame a step is, or is half of
    std::vector<bool> splitHalf;

    bool split() const { return !splitInputs.empty(); }
    std::size_t size() const { return ticks.size() - 1; }
    const std::vector<FrameFeatures> &features() const { return split() ? splitFeatures : frames->features; }
    const std::vector<FrameInput> &inputs() const { return split() ? splitInputs : frames->inputs; }
    const std::vector<bool> &onBeat() const { return split() ? splitOnBeat : frames->onBeat; }
    std::size_t frame(std::size_t step) const { return split() ? splitFrame[step] : step; }
    bool half(std::size_t step) const { return split() && splitHalf[step]; }
};

// The frames as steps, each frame whole, or in its halves where splitWhereBassMoves and the
// pitch class longest in the bass differs between them.
ChordSteps chordSteps(const ChordFrames &frames, bool splitWhereBassMoves);

} // namespace tunedeck::chords

#endif
