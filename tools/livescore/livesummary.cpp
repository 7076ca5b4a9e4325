#include "livescore/livesummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tunedeck::livescore {

namespace {

std::vector<int> groupsOf(const LiveFile &f)
{
    switch (f.set) {
    case Set::Pop:
        if (!f.multiRegion)
            return {AllPop};
        if (f.name == "pop909-017.mid" || f.name == "pop909-018.mid")
            return {MultiPop, AllPop};
        return {MultiPop, MultiPopClean, AllPop};
    case Set::Chorales: return {Chorales};
    case Set::Songs: return {Songs};
    case Set::Textbooks: return {Textbooks};
    }
    return {};
}

} // namespace

void Summary::add(const LiveFile &f, const LiveScore &s)
{
    for (int g : groupsOf(f)) {
        accuracy[g] += s.accuracy();
        files[g] += 1;
        follow[g] += s.follow;
        sureRight[g] += s.sureRight;
        sureTotal[g] += s.sureTotal;
        right[g] += s.right;
        total[g] += s.total;
        for (int b = 0; b < CalibrationBins; ++b)
            for (int i = 0; i < 3; ++i)
                bins[g][b][i] += s.bins[b][i];
    }
}

void Summary::merge(const Summary &o)
{
    for (int g = 0; g < Groups; ++g) {
        accuracy[g] += o.accuracy[g];
        files[g] += o.files[g];
        follow[g] += o.follow[g];
        sureRight[g] += o.sureRight[g];
        sureTotal[g] += o.sureTotal[g];
        right[g] += o.right[g];
        total[g] += o.total[g];
        for (int b = 0; b < CalibrationBins; ++b)
            for (int i = 0; i < 3; ++i)
                bins[g][b][i] += o.bins[g][b][i];
    }
}

double Summary::followedShare(int g) const
{
    return follow[g].scored > 0 ? double(follow[g].followed) / follow[g].scored : 0;
}

double Summary::changeRatio(int g) const
{
    return follow[g].shown / std::max(1.0, follow[g].allowed());
}

void print(const Summary &s, bool confidences, bool showBins)
{
    for (int g = 0; g < Groups; ++g) {
        if (s.files[g] == 0)
            continue;
        // Expected calibration error over the note time of the readings (a second without a key
        // counts as confidence 0 and wrong).
        double weighted = 0;
        for (int b = 0; b < CalibrationBins; ++b)
            if (s.bins[g][b][1] > 0)
                weighted += s.bins[g][b][1] / s.total[g]
                            * std::abs(s.bins[g][b][0] - s.bins[g][b][2]) / s.bins[g][b][1];
        const keyscore::Following &f = s.follow[g];
        std::printf("%-20s files %3.0f  right %5.1f %%  followed %3d/%3d %5.1f %% (uncapped %5.1f %%)  changes %5d "
                    "(annotated %4d, allowed %6.0f)",
                    GroupNames[g], s.files[g], 100 * s.mean(g), f.followed, f.scored, 100 * s.followedShare(g),
                    f.scored > 0 ? 100.0 * f.followedUncapped / f.scored : 0.0, f.shown, f.annotated, f.allowed());
        if (confidences)
            std::printf("  sure %4.1f %% of time, right %5.1f %% when sure, %5.1f %% when unsure  ECE %4.1f",
                        100 * s.sureTotal[g] / std::max(1.0, s.total[g]),
                        100 * s.sureRight[g] / std::max(1.0, s.sureTotal[g]),
                        100 * (s.right[g] - s.sureRight[g]) / std::max(1.0, s.total[g] - s.sureTotal[g]),
                        100 * weighted);
        std::printf("\n");
        if (showBins) { // right and share of the time, by tenths of confidence
            for (const auto &bin : s.bins[g])
                std::printf(" %3.0f%%/%4.1f", bin[1] > 0 ? 100 * bin[0] / bin[1] : 0, 100 * bin[1] / s.total[g]);
            std::printf("\n");
        }
    }
}

} // namespace tunedeck::livescore
