#include "core/keymodel/keymodelinputs.h"

#include "core/base/keycodes.h"
#include "core/keymodel/fittedkeymodel.h"

#include <cstddef>

namespace tunedeck::keymodel {

static_assert(fitted::Present[0] == PresentKeyAt && fitted::Present[1] == PresentRootAt
              && fitted::Present[2] == PresentQualityAt && fitted::Present[3] == PresentBassAt
              && fitted::Inputs == InputCount, "the weights were trained on these inputs");

std::vector<float> modelInputs(const chords::ChordFrames &frames, const profile::ProfileAnalysis &keys,
                               std::span<const chords::ChordSegment> chords)
{
    const std::size_t n = frames.inputs.size();
    std::vector<float> out(n * InputCount, 0.0f);
    std::size_t region = 0, chord = 0;
    for (std::size_t f = 0; f < n; ++f) {
        float *row = out.data() + f * InputCount;
        const chords::FrameInput &in = frames.inputs[f];
        for (int i = 0; i < PresentKeyAt; ++i)
            row[i] = float(in.x[std::size_t(i)]);
        // Middles grow frame by frame, so both lists are walked once.
        const std::int64_t middle = frames.start + std::int64_t(f) * frames.length + frames.length / 2;
        while (region < keys.regions.size() && keys.regions[region].endTick <= middle)
            ++region;
        if (region < keys.regions.size() && keys.regions[region].startTick <= middle
            && isKeyCode(keys.regions[region].keyCode))
            row[PresentKeyAt + keyIndex(keys.regions[region].keyCode)] = 1;
        while (chord < chords.size() && chords[chord].endTick <= middle)
            ++chord;
        if (chord < chords.size() && chords[chord].tick <= middle) {
            const harmony::Chord &c = chords[chord].chord;
            if (c.none()) {
                row[PresentRootAt + 12] = 1;
            } else {
                row[PresentRootAt + c.root] = 1;
                row[PresentQualityAt + int(c.quality)] = 1;
                row[PresentBassAt + harmony::bassPitchClass(c)] = 1;
            }
        } else {
            row[PresentRootAt + 12] = 1; // between chords nothing is named: no chord
        }
    }
    return out;
}

} // namespace tunedeck::keymodel
