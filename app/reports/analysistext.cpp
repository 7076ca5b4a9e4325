#include "reports/analysistext.h"

#include "base/keycodes.h"
#include "base/keynames.h"
#include "reports/numbertext.h"

#include <cmath>

namespace tunedeck::text {

namespace {

QString name(int code, Notation notation = Notation::Standard)
{
    return QString::fromStdString(notation == Notation::Standard ? analysisKeyName(code) : keyName(code, notation));
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

QString profileKey(const profile::ProfileAnalysis &a, Notation notation)
{
    if (!isKeyCode(a.keyCode))
        return QStringLiteral("no key");
    QString out = name(a.keyCode, notation) + QStringLiteral(", %1 %").arg(percentOf(a.confidence));
    if (a.candidates.size() > 1) {
        const profile::KeyCandidate &second = a.candidates[1];
        const QString relation = second.relation == KeyRelation::None
                                     ? QStringLiteral("then")
                                     : QLatin1String(firstToCandidate(second.relation)) + QStringLiteral(" of");
        out += QStringLiteral(" (%1 %2 %3 %)").arg(relation, name(second.keyCode, notation)).arg(percentOf(second.confidence));
    }
    if (a.ambiguous)
        out += QStringLiteral(", ambiguous");
    return out;
}

QString profileReading(const profile::ProfileReading &r, Notation notation)
{
    if (!isKeyCode(r.keyCode))
        return QStringLiteral("-");
    return name(r.keyCode, notation) + (r.sure ? QString() : QStringLiteral("?"))
           + QStringLiteral(", %1 %").arg(percentOf(r.confidence));
}

QString localKeyChanges(const profile::ProfileAnalysis &a)
{
    QString out;
    int shown = tunedeck::NoKey;
    for (const profile::BarKey &b : a.barChanges) {
        if (b.keyCode == shown || !isKeyCode(b.keyCode))
            continue;
        shown = b.keyCode;
        if (!out.isEmpty())
            out += QStringLiteral(", ");
        out += zeroPadded(b.bar, 4) + QStringLiteral(": ") + name(b.keyCode);
    }
    return out.isEmpty() ? QStringLiteral("-") : out;
}

} // namespace tunedeck::text
