#include "triadresolver.h"

#include "keytables.h"

namespace tonalyte {

namespace {

struct RankSlot {
    int16_t pitchClass;
    int32_t duration;
    int16_t degree;    // 1 root, 5 fifth, 0 filler
    int16_t mode;      // 1 major triad, 2 minor triad, 0 filler
    int16_t candidate; // 1, 2, or 0 for a filler
};

void fillCandidate(RankSlot *slots, int row, int16_t candidate, const int32_t pcDur[12])
{
    const Triad &minor = TonicTriadTable[row];
    const Triad &major = TonicTriadTable[12 + row];
    const int16_t notes[4] = {minor.root, minor.fifth, major.root, major.fifth};
    const int16_t degrees[4] = {1, 5, 1, 5};
    const int16_t modes[4] = {2, 2, 1, 1};
    for (int i = 0; i < 4; ++i) {
        const int16_t pc = static_cast<int16_t>(notes[i] - 60);
        slots[i] = {pc, pcDur[pc], degrees[i], modes[i], candidate};
    }
}

} // namespace

TriadResolution resolveTriads(int c1, int c2, const int32_t pcDur[12])
{
    RankSlot slots[12];
    for (RankSlot &s : slots)
        s = {-1, 0, 0, 0, 0};
    fillCandidate(slots, c1, 1, pcDur);
    if (c2 >= 0)
        fillCandidate(slots + 4, c2, 2, pcDur);
    for (int k = 0; k < 12; ++k) {
        if (slots[k].pitchClass == -1) {
            slots[k].pitchClass = static_cast<int16_t>(k);
            slots[k].duration = pcDur[k];
        }
    }

    // Each pass takes the longest slot left; ">=" hands ties to the highest slot number.
    int order[12];
    int ranked = 0;
    for (int i = 0; i < 12; ++i) {
        int32_t best = 0;
        int pick = -1;
        for (int k = 0; k < 12; ++k) {
            if (slots[k].duration >= best) {
                best = slots[k].duration;
                pick = k;
            }
        }
        if (pick < 0)
            break; // only with negative durations, which the caller rules out
        order[i] = pick;
        slots[pick].duration = -1;
        ++ranked;
    }

    int32_t smaj1 = 0, smin1 = 0, smaj2 = 0, smin2 = 0;
    for (int i = 0; i < ranked; ++i) {
        const RankSlot &s = slots[order[i]];
        if (s.degree != 1 && s.degree != 5)
            continue;
        if (s.candidate == 1)
            (s.mode == 1 ? smaj1 : smin1) += i;
        else if (s.candidate == 2)
            (s.mode == 1 ? smaj2 : smin2) += i;
    }

    if (c2 < 0)
        return {smin1 >= smaj1, c1, smaj1, smin1};
    if (smin1 <= smin2 && smin1 <= smaj1 && smin1 <= smaj2)
        return {false, c1, 21, smin1};
    if (smin2 <= smin1 && smin2 <= smaj1 && smin2 <= smaj2)
        return {false, c2, 21, smin2};
    if (smaj1 <= smin1 && smaj1 <= smaj2 && smaj1 <= smin2)
        return {true, c1, smaj1, 21};
    return {true, c2, smaj2, 21};
}

int32_t resolvedKeyCode(const TriadResolution &r)
{
    const int32_t tonic = KeyTonicTable[r.row];
    return r.major ? tonic + 100 : relativeMinorCode(tonic + 9);
}

} // namespace tonalyte
