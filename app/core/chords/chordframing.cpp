// A piece's chord frames: its notes on the beat grid, the texture they show, and what the
// melody adds or takes in the pop songs' texture.
#include "core/chords/bassline.h"
#include "core/chords/beatgrid.h"
#include "core/chords/chordanalysis.h"
#include "core/chords/chordsteps.h"
#include "core/chords/melodyline.h"
#include "core/chords/texture.h"
#include "core/chords/undermelody.h"

#include <algorithm>

namespace tunedeck::chords {

ChordFrames chordFrames(const std::vector<NoteEvent> &events, int ticksPerQuarter, const ChordOptions &options)
{
    return chordFrames(events, ticksPerQuarter, -1, options);
}

ChordFrames chordFrames(const std::vector<NoteEvent> &events, int ticksPerQuarter, std::int64_t beatPhase,
                        const ChordOptions &options)
{
    return chordFrames(pairNotes(events), ticksPerQuarter, beatPhase, options);
}

ChordFrames chordFrames(std::span<const SpanNote> notes, int ticksPerQuarter, std::int64_t beatPhase,
                        const ChordOptions &options)
{
    ChordFrames out;
    if (notes.empty())
        return out;
    for (const SpanNote &n : notes)
        out.lastTick = std::max(out.lastTick, n.end);
    BeatGrid grid{std::max(ticksPerQuarter, 1), beatPhase};
    if (beatPhase < 0 || beatPhase >= grid.ticksPerBeat)
        grid = findBeats(notes, ticksPerQuarter);
    const FrameGrid frames = frameGrid(grid, out.lastTick, options.framesPerBeat);
    out.start = frames.start;
    out.length = frames.length;
    fillFeatures(out, notes, frames.count);
    out.figures = textureFigures(notes, out.features, ticksPerQuarter);
    out.texture = textureOf(out.figures);
    if (forTexture(options, out.texture).bassLine) {
        out.bassLine = bassLine(notes, frames.start, frames.length, frames.count, options.passingBass);
        if (!out.halves.empty())
            out.halvesBassLine = bassLine(notes, frames.start, frames.length / 2, 2 * frames.count, options.passingBass);
    }
    if (out.texture == Texture::Diatonic && options.colourShare > 0)
        out.underMelody = underMelody(notes, frames.start, frames.length, frames.count, options.colourShare);
    // The tune's passing notes blur a pop song's chords, but an art song's voice sings the
    // harmony's tones off the beat as often as not: there every note counts alike.
    if (out.texture == Texture::Diatonic && options.melodyWeight != 1) {
        const std::vector<SpanNote> passing = passingNotes(notes, grid);
        discount(out.features, out.start, out.length, passing, 1 - options.melodyWeight);
        if (!out.halves.empty())
            discount(out.halves, out.start, out.length / 2, passing, 1 - options.melodyWeight);
    }
    out.inputs = frameInputs(out.features, double(frames.length));
    out.onBeat.resize(frames.count);
    for (std::size_t f = 0; f < frames.count; ++f)
        out.onBeat[f] = grid.onBeat(frames.start + std::int64_t(f) * frames.length);
    return out;
}

} // namespace tunedeck::chords
