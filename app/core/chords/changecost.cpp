#include "core/chords/changecost.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::chords {

double notesMoved(const FrameFeatures &a, const FrameFeatures &b)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t pc = 0; pc < 12; ++pc) {
        ab += a.sounding[pc] * b.sounding[pc];
        aa += a.sounding[pc] * a.sounding[pc];
        bb += b.sounding[pc] * b.sounding[pc];
    }
    return aa > 0 && bb > 0 ? 1 - ab / std::sqrt(aa * bb) : 0;
}

std::vector<float> changeCosts(const std::vector<FrameFeatures> &frames, const std::vector<bool> &onBeat,
                               const ChangeCosts &costs)
{
    std::vector<float> out(frames.size());
    const bool fromNotes = costs.bassMoves != 0 || costs.notesMove != 0;
    int bassBefore = frames.empty() ? -1 : bassOf(frames.front());
    for (std::size_t f = 0; f < frames.size(); ++f) {
        double cost = costs.change + (onBeat[f] ? 0 : costs.offBeat);
        if (fromNotes && f > 0) {
            const int bass = bassOf(frames[f]);
            if (bass >= 0 && bassBefore >= 0 && bass != bassBefore)
                cost -= costs.bassMoves;
            cost -= costs.notesMove * notesMoved(frames[f - 1], frames[f]);
            bassBefore = bass;
        }
        out[f] = float(std::max(cost, 0.0));
    }
    return out;
}

} // namespace tunedeck::chords
