#include "keyscorer.h"

#include "keytables.h"
#include "triadresolver.h"

#include <climits>

namespace tonalyte {

namespace {

void decideNoKey(Engine &e)
{
    e.keyType = 0;
    e.scoredDecision.keyCode = 0;
    e.scoredDecision.inpTCnt = 0;
    e.detail1 = -1;
    e.detail2 = -1;
}

void decideMinor(Engine &e, int row, int inpTCnt, int32_t keyType)
{
    e.keyType = keyType;
    e.scoredDecision.keyCode = KeyTonicTable[12 + row % 12];
    e.scoredDecision.inpTCnt = inpTCnt;
    e.detail1 = row < 24 ? -1 : -2;
    e.detail2 = row % 12;
}

uint32_t positiveTotal(const int32_t durations[12])
{
    uint32_t total = 0;
    for (int p = 0; p < 12; ++p)
        if (durations[p] > 0)
            total += static_cast<uint32_t>(durations[p]);
    return total;
}

// Outside time is the positive total less the time inside the scale. Sums wrap as
// 32-bit values do; the caller only trusts them when the total fits.
inline int32_t scoreWithTotal(int s, const int32_t durations[12], uint32_t total)
{
    uint32_t score = total;
    for (int i = 0; i < ScaleNotes; ++i) {
        const int32_t d = durations[ScaleTable[s][i] - 60];
        if (d > 0)
            score -= static_cast<uint32_t>(d);
        else
            score += static_cast<uint32_t>(ScaleWeights[s][i]);
    }
    return static_cast<int32_t>(score);
}

} // namespace

int32_t scoreScale(int s, const int32_t durations[12])
{
    return scoreWithTotal(s, durations, positiveTotal(durations));
}

ScoreResult findKey(Engine &e)
{
    const int32_t *dur = e.pcDur;
    int64_t sum = 0;
    bool negative = false;
    int inpTCnt = 0;
    for (int p = 0; p < 12; ++p) {
        sum += dur[p];
        negative |= dur[p] < 0;
        inpTCnt += dur[p] > 0 ? 1 : 0;
    }
    const int32_t scoreBase = wrapAdd(static_cast<int32_t>(static_cast<uint32_t>(sum)), 60);

    // Only wrapped 32-bit sums (huge adversarial inputs) get here: scores are then
    // meaningless, no scale need score below the base and the triad ranking could pick
    // nothing, so the evaluation decides no key instead.
    if (negative || sum + 60 > INT32_MAX) {
        e.tapCnt = 0;
        decideNoKey(e);
        return {scoreBase, scoreBase};
    }

    const uint32_t total = positiveTotal(dur);
    int32_t best = scoreBase;
    int bestScale = -1;
    int lastTiedScale = -1;
    int ties = 0;
    for (int s = 0; s < ScaleCount; ++s) {
        const int32_t sc = scoreWithTotal(s, dur, total);
        if (sc < best) {
            best = sc;
            bestScale = s;
            lastTiedScale = -1;
            ties = 1;
        } else if (sc == best) {
            lastTiedScale = s;
            ++ties;
        }
    }
    e.tapCnt = static_cast<int16_t>(ties);

    if (ties >= 3 || (ties == 2 && e.strictMode) || (ties == 2 && inpTCnt > e.minInpTCnt)) {
        decideNoKey(e);
    } else if (bestScale < 12 && lastTiedScale < 12) {
        const TriadResolution r = resolveTriads(bestScale, lastTiedScale, dur);
        e.keyType = 1;
        e.scoredDecision.keyCode = resolvedKeyCode(r);
        e.scoredDecision.inpTCnt = inpTCnt;
        e.detail1 = r.detail1;
        e.detail2 = r.detail2;
    } else if (ties == 1) {
        decideMinor(e, bestScale, inpTCnt, 2);
    } else if (bestScale >= 12) {
        // Two minor forms: the one whose tonic sounded longer; equal goes to the first.
        const int k1 = KeyTonicTable[12 + bestScale % 12];
        const int k2 = KeyTonicTable[12 + lastTiedScale % 12];
        const int row = dur[k1 - 60] >= dur[k2 - 60] ? bestScale : lastTiedScale;
        decideMinor(e, row, inpTCnt, 3);
    } else {
        decideMinor(e, lastTiedScale, inpTCnt, 5);
    }
    return {best, scoreBase};
}

} // namespace tonalyte
