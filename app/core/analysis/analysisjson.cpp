#include "core/analysis/analysisjson.h"

#include "core/base/keycodes.h"
#include "core/harmony/romannumeral.h"

#include <cmath>

namespace tunedeck {

using nlohmann::json;

namespace {

void keyFields(json &o, int code, std::string name)
{
    o["key"] = std::move(name);
    o["keyCode"] = code;
}

// With the analysis, each bar's key also carries its calibrated confidence.
json barKeys(const std::vector<profile::BarKey> &bars, const SpelledNames &names, const profile::ProfileAnalysis &a,
            bool withConfidence = false)
{
    json list = json::array();
    for (const profile::BarKey &b : bars) {
        json bar;
        bar["bar"] = b.bar;
        keyFields(bar, b.keyCode, names.keyAt(b.keyCode, profile::barStartTick(a, b.bar)));
        if (withConfidence)
            bar["confidence"] = profile::barConfidence(a, b);
        list.push_back(std::move(bar));
    }
    return list;
}

} // namespace

json beatValue(double beat)
{
    const double rounded = std::round(beat * 1000) / 1000;
    return rounded == std::floor(rounded) ? json(std::int64_t(rounded)) : json(rounded);
}

json chordsJson(const std::vector<chords::ChordSegment> &segments)
{
    json list = json::array();
    for (const chords::ChordSegment &s : segments) {
        json c;
        c["tick"] = s.tick;
        c["endTick"] = s.endTick;
        c["bar"] = s.bar;
        c["beat"] = beatValue(s.beat);
        c["ms"] = s.ms;
        c["label"] = harmony::harteLabel(s.chord, s.keyCode, s.written);
        c["symbol"] = harmony::chordSymbol(s.chord, s.keyCode, s.written);
        c["roman"] = harmony::romanNumeral(s.chord, s.keyCode);
        keyFields(c, s.keyCode, harmony::keyNameOf(s.keyCode, s.written));
        c["confidence"] = s.confidence;
        list.push_back(std::move(c));
    }
    return list;
}

json profileJson(const profile::ProfileAnalysis &a, const SpelledNames *spelled)
{
    const SpelledNames own(nullptr, nullptr);
    const SpelledNames &names = spelled ? *spelled : own;
    json o;
    keyFields(o, a.keyCode, names.key(a.keyCode));
    o["confidence"] = a.confidence;
    o["ambiguous"] = a.ambiguous;
    json candidates = json::array();
    for (const profile::KeyCandidate &k : a.candidates) {
        json c;
        keyFields(c, k.keyCode, names.key(k.keyCode));
        c["confidence"] = k.confidence;
        c["relation"] = relationName(k.relation);
        candidates.push_back(std::move(c));
    }
    o["candidates"] = std::move(candidates);
    o["localKeys"] = barKeys(a.bars, names, a);              // at most MaxBars
    o["localKeyChanges"] = barKeys(a.barChanges, names, a, true); // every bar, however far
    if (a.keyNetwork) // only then, so that saved results say how they were made and others read as before
        o["keyNetwork"] = true;
    return o;
}

json analysisJson(const FileAnalysis &a, const LabelTexts &c, const JsonFields &fields)
{
    json o;
    o["outcome"] = outcomeName(a.run.outcome);
    if (a.refusal && !a.refusal->reason.empty())
        o["reason"] = a.refusal->reason;
    o["keyCode"] = a.run.keyCode;
    o["key"] = c.keyStr;
    o["signature"] = c.signat;
    const OverallKeyReport &overall = a.run.reports.overall;
    const bool probability = overall.hasKey()
                             && (a.run.outcome == FastOutcome::Reported || a.run.outcome == FastOutcome::Cancelled);
    o["probability"] = probability ? json(overall.top().percent) : json(nullptr);
    o["candidates"] = c.keyList;
    o["points"] = c.keyPoint;
    o["labels"] = {{"LblKType", c.kType},   {"LblKeyStr", c.keyStr},       {"LblSignat", c.signat},
                   {"LblKqKey", c.kqKey},   {"LblHaStr", c.haStr},         {"LblKeyTiming", c.keyTiming},
                   {"LblMess", c.mess},     {"LblcTime", c.cTime},         {"LblError", c.error}};
    const SpelledNames names = spelledNames(a);
    o["profileAnalysis"] = a.profile ? profileJson(*a.profile, &names) : json(nullptr);
    o["chords"] = chordsJson(a.chords);
    if (a.limitBar > 0)
        o["limitBar"] = a.limitBar;
    if (a.file.splitFormat0)
        o["splitFormat0"] = true;
    if (fields.transposeLeftOut)
        o["transposeLeftOut"] = a.run.leftOut;
    if (a.run.noteZeroLeftOut > 0) // only then, so that every other file's JSON reads as it did
        o["noteZeroLeftOut"] = a.run.noteZeroLeftOut;
    if (fields.notation && isKeyCode(a.run.keyCode))
        o["keyNotation"] = keyName(a.run.keyCode, *fields.notation);
    return o;
}

json analysisJson(const FileAnalysis &a, const JsonFields &fields)
{
    return analysisJson(a, labelTexts(a), fields);
}

} // namespace tunedeck
