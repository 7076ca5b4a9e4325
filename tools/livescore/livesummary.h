// The live scores summed per set, as tunedeck-livescore prints them: the share of note time
// shown the annotated key, the annotated changes followed within 12 s, the key changes
// shown against those allowed, and the confidence's reliability.
#ifndef TUNEDECK_LIVESCORE_LIVESUMMARY_H
#define TUNEDECK_LIVESCORE_LIVESUMMARY_H

#include "livescore/livecorpus.h"

#include <array>

namespace tunedeck::livescore {

// The pop songs with several annotated keys are scored apart as well, and once more without
// 017 and 018, whose labels no model meets.
constexpr int Groups = 6;
constexpr std::array<const char *, Groups> GroupNames{"pop909 multi-region", "  without 017, 018", "pop909 all",
                                                      "bach", "wir songs", "wir textbooks"};
enum Group { MultiPop, MultiPopClean, AllPop, Chorales, Songs, Textbooks };

struct Summary {
    std::array<double, Groups> accuracy{}, files{}, sureRight{}, sureTotal{}, right{}, total{};
    std::array<keyscore::Following, Groups> follow{};
    std::array<std::array<std::array<double, 3>, CalibrationBins>, Groups> bins{};

    void add(const LiveFile &f, const LiveScore &s);
    void merge(const Summary &other);
    double mean(int g) const { return files[g] > 0 ? accuracy[g] / files[g] : 0; }
    // The share of the scored annotated changes followed.
    double followedShare(int g) const;
    // Key changes shown over what the annotation allows: three per annotated change, one a minute.
    double changeRatio(int g) const;
};

// One line a set; with confidences the sure share and the ECE, with bins the tenths too.
void print(const Summary &s, bool confidences = true, bool bins = false);

} // namespace tunedeck::livescore

#endif
