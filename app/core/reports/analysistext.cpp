#include "core/reports/analysistext.h"

#include "core/base/keycodes.h"
#include "core/base/keynames.h"
#include "core/base/spelling.h"
#include "core/reports/numbertext.h"

#include <cmath>

namespace tunedeck::text {

namespace {

std::string name(int code, Notation notation = Notation::Standard, const SpelledNames *names = nullptr)
{
    if (notation != Notation::Standard)
        return keyName(code, notation);
    return names ? names->key(code) : analysisKeyName(code);
}

// ", 91 %"
std::string percentText(double confidence)
{
    return ", " + std::to_string(percentOf(confidence)) + " %";
}

// How the first key stands to a candidate, when the candidate's relation is to the first:
// G major is the dominant of C major when C major is the subdominant of G major.
const char *firstToCandidate(KeyRelation relation)
{
    switch (relation) {
    case KeyRelation::Dominant: return "subdominant";
    case KeyRelation::Subdominant: return "dominant";
    default: return relationName(relation);
    }
}

} // namespace

int percentOf(double confidence)
{
    return int(std::lround(confidence * 100.0));
}

std::string profileKey(const profile::ProfileAnalysis &a, Notation notation, const SpelledNames *names)
{
    if (!isKeyCode(a.keyCode))
        return "no key";
    std::string out = name(a.keyCode, notation, names) + percentText(a.confidence);
    if (a.candidates.size() > 1) {
        const profile::KeyCandidate &second = a.candidates[1];
        const std::string relation = second.relation == KeyRelation::None
                                         ? std::string("then")
                                         : std::string(firstToCandidate(second.relation)) + " of";
        out += " (" + relation + ' ' + name(second.keyCode, notation, names) + ' '
               + std::to_string(percentOf(second.confidence)) + " %)";
    }
    if (a.ambiguous)
        out += ", ambiguous";
    return out;
}

std::string profileReading(const profile::ProfileReading &r, Notation notation)
{
    if (!isKeyCode(r.keyCode))
        return "-";
    return name(r.keyCode, notation) + (r.sure ? "" : "?") + percentText(r.confidence);
}

std::string shownKey(const profile::ShownKey &k, Notation notation)
{
    const profile::ProfileReading &r = k.reading;
    if (!isKeyCode(r.keyCode) || k.fromBar <= 0)
        return profileReading(r, notation) + (k.listened && isKeyCode(r.keyCode) ? " (as heard)" : "");
    const std::string key = notation == Notation::Standard ? writtenKeyName(r.keyCode, k.keyFifths)
                                                           : keyName(r.keyCode, notation);
    return key + (r.sure ? "" : "?") + " from bar " + std::to_string(k.fromBar)
           + percentText(r.confidence);
}

std::string localKeyChanges(const profile::ProfileAnalysis &a, const SpelledNames *names)
{
    std::string out;
    int shown = tunedeck::NoKey;
    for (const profile::BarKey &b : a.barChanges) {
        if (b.keyCode == shown || !isKeyCode(b.keyCode))
            continue;
        shown = b.keyCode;
        if (!out.empty())
            out += ", ";
        out += zeroPadded(b.bar, 4) + ": "
               + (names ? names->keyAt(b.keyCode, profile::barStartTick(a, b.bar)) : analysisKeyName(b.keyCode));
    }
    return out.empty() ? "-" : out;
}

} // namespace tunedeck::text
