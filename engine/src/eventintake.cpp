#include "eventintake.h"

#include "keyscorer.h"
#include "testlog.h"

namespace tonalyte {

namespace {

struct Change {
    int note;
    int32_t duration;
};

void accept(Engine &e, float fitRatio)
{
    e.scoredDecision.time = e.pendingStart;
    e.pendingStart = -1;
    e.curDecision = e.scoredDecision;
    e.heldDecision = {e.scoredDecision.keyCode, e.scoredDecision.inpTCnt};
    e.acceptedDecision = e.heldDecision;
    // The threshold only tightens until the next restart.
    e.ratioLimit = fitRatio;
    e.savedRatio = fitRatio;
    e.outDetail1 = e.detail1;
    e.outDetail2 = e.detail2;
}

void reject(Engine &e, float fitRatio, const Change &last)
{
    if (fitRatio > e.ratioLimit) {
        // The music has moved on: start again from the duration that showed it.
        for (int32_t &d : e.pcDur)
            d = 0;
        addPcDur(e, last.note, last.duration);
    }
    if (e.pendingStart < 0)
        e.pendingStart = e.changeOnTime;
    e.curDecision.keyCode = 0;
    e.curDecision.inpTCnt = 0;
    e.heldDecision = {0, 0};
    e.ratioLimit = 1.0f;
}

void evaluate(Engine &e, bool &counted, const Change &last)
{
    if (countInpTCnt(e) < e.minInpTCnt) {
        if (!e.detectMode) {
            counted = false;
            e.fitRatio = e.savedRatio;
            e.curDecision.keyCode = e.acceptedDecision.keyCode;
            e.curDecision.inpTCnt = e.acceptedDecision.inpTCnt;
            e.heldDecision = e.acceptedDecision;
        }
        return;
    }
    const ScoreResult r = findKey(e);
    // A wrapped base of 0 only comes with a no-key decision; 1.0 is its worst fit.
    e.fitRatio = r.scoreBase == 0
        ? 1.0f
        : static_cast<float>(static_cast<double>(r.best) / static_cast<double>(r.scoreBase));
    if (e.fitRatio <= e.ratioLimit && e.scoredDecision.keyCode != 0)
        accept(e, e.fitRatio);
    else
        reject(e, e.fitRatio, last);
}

// Returns false when the detection counter overflowed.
bool countStatistics(Engine &e)
{
    const int32_t key = e.curDecision.keyCode;
    e.detectCnt = wrapAdd(e.detectCnt, 1);
    if (e.detectCnt < 0) {
        writeTestLog(e, "(DetectCnt < 0)//Overflow");
        return false;
    }
    KeyStatEntry &stat = e.keyStat[key % 100 % 12];
    if (key < 100)
        stat.minorCnt = wrapAdd(stat.minorCnt, 1);
    else
        stat.majorCnt = wrapAdd(stat.majorCnt, 1);

    if (e.timelineLen == 0) {
        e.keyTimeline[0] = {0, key, e.curDecision.inpTCnt};
        e.timelineLen = 1;
    } else if (e.timelineFull == 0) {
        KeyDecision &last = e.keyTimeline[e.timelineLen - 1];
        const int32_t t = e.curDecision.time > last.time ? e.curDecision.time : last.time;
        if (t == last.time) {
            last.keyCode = key;
            last.inpTCnt = e.curDecision.inpTCnt;
        } else {
            e.keyTimeline[e.timelineLen] = {t, key, e.curDecision.inpTCnt};
            ++e.timelineLen;
            if (e.timelineLen == TimelineSize)
                e.timelineFull = 1;
        }
    }
    return true;
}

} // namespace

int addPcDur(Engine &e, int note, int32_t duration)
{
    if (duration < 1)
        return 0;
    int32_t &d = e.pcDur[note % 12];
    d = wrapAdd(d, duration);
    return 1;
}

int32_t feedEvent(Engine &e, int32_t evCod, int32_t evCao, int32_t evVel)
{
    if (static_cast<uint32_t>(e.timeTCnt) >= MaxTCnt) {
        writeTestLog(e, "TimeTCnt >= MaxTCnt");
        return -1;
    }
    // Callers pass whole 32-bit words; only the low byte is MIDI data. Notes 128..255
    // have no entry in the note table and are refused like note 0.
    const int note = evCao & 0xFF;
    const int vel = evVel & 0xFF;
    if (note == 0 || note >= NoteCount) {
        writeTestLog(e, "EvCao <= 0 || EvVel < 0");
        return -1;
    }
    const int cod = evCod & 0xFF;
    if (cod != 0x90 && cod != 0x80) {
        writeTestLog(e, "(EvCod != 0x90) && (EvCod != 0x80)");
        return -1;
    }

    const int32_t now = e.timeTCnt;
    e.curDecision = {0, e.heldDecision.keyCode, e.heldDecision.inpTCnt};
    e.scoredDecision = {-1, 0, 0};
    bool changed = false;
    bool counted = true;
    Change last{0, 0};

    NoteState &ns = e.noteState[note];
    if (cod == 0x90 && vel > 0) {
        if (ns.onCnt == 0) {
            ns = {1, now, now};
        } else {
            // A 16-bit count, as it always was; one that wraps negative reads as silent.
            ns.onCnt = static_cast<int16_t>(ns.onCnt + 1);
            ns.lastOnTime = now;
        }
        // One note-on cuts at most one over-long note: the lowest-numbered one.
        for (int n = 0; n < NoteCount; ++n) {
            NoteState &s = e.noteState[n];
            if (s.onCnt > 0 && wrapSub(now, s.startTime) > CutLength) {
                const int32_t d = wrapSub(now, s.startTime);
                addPcDur(e, n, d);
                changed = true;
                last = {n, d};
                e.changeOnTime = s.lastOnTime;
                s.startTime = now;
                s.lastOnTime = now;
                break;
            }
        }
    } else if (ns.onCnt != 0) {
        ns.onCnt = static_cast<int16_t>(ns.onCnt - 1);
        if (ns.onCnt == 0) {
            const int32_t d = wrapSub(now, ns.startTime);
            if (addPcDur(e, note, d)) {
                changed = true;
                last = {note, d};
                e.changeOnTime = ns.lastOnTime;
            }
            ns.startTime = 0;
            ns.lastOnTime = 0;
        }
    }

    if (changed)
        evaluate(e, counted, last);

    if (counted && e.curDecision.keyCode > 0 && !countStatistics(e))
        return -1;
    return e.curDecision.keyCode;
}

int32_t feedAtTime(Engine &e, int32_t plTime, int32_t evCod, int32_t evCao, int32_t evVel)
{
    if (plTime < e.timeTCnt) {
        writeTestLog(e, "plTime < TimeTCnt");
        return -1;
    }
    // The time moves on even when the event itself is refused.
    e.timeTCnt = plTime;
    return feedEvent(e, evCod, evCao, evVel);
}

} // namespace tonalyte
