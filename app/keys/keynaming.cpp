#include "keys/keynaming.h"

#include "keyanalysis/keycodes.h"

namespace tunedeck {

namespace {

struct Signature {
    const char *text;
    qint16 direction;
};

// Index = tonic pitch class from C.
constexpr Signature majorSignatures[12] = {
    {"00", 0},  {"5b", -1}, {"2#", +1}, {"3b", -1}, {"4#", +1}, {"1b", -1},
    {"6#", +1}, {"1#", +1}, {"4b", -1}, {"3#", +1}, {"2b", -1}, {"5#", +1},
};
constexpr Signature minorSignatures[12] = {
    {"3b", -1}, {"4#", +1}, {"1b", -1}, {"6#", +1}, {"1#", +1}, {"4b", -1},
    {"3#", +1}, {"2b", -1}, {"5#", +1}, {"00", 0},  {"5b", -1}, {"2#", +1},
};

} // namespace

const QStringList &KeyNames()
{
    static const QStringList names = {
        QStringLiteral("C"),     QStringLiteral("C# Db"), QStringLiteral("D"),
        QStringLiteral("D# Eb"), QStringLiteral("E"),     QStringLiteral("F"),
        QStringLiteral("F# Gb"), QStringLiteral("G"),     QStringLiteral("G# Ab"),
        QStringLiteral("A"),     QStringLiteral("A# Bb"), QStringLiteral("B"),
    };
    return names;
}

bool isKeyCode(qint32 nCode)
{
    return keyanalysis::isKeyCode(nCode);
}

qint16 SetKeyStr(qint32 nCode, QString &kyStr, QString &hbStr)
{
    kyStr.clear();
    hbStr.clear();
    // No key, a rejected event, or a number that names no key: nothing to show.
    if (!isKeyCode(nCode))
        return 0;

    const bool major = nCode >= 100;
    const int tonic = nCode % 100 - 60;
    const Signature &sig = major ? majorSignatures[tonic] : minorSignatures[tonic];
    kyStr = KeyNames().at(tonic) + (major ? QStringLiteral(" Major") : QStringLiteral(" Minor"));
    hbStr = QLatin1String(sig.text);
    return sig.direction;
}

} // namespace tunedeck
