#include "reports/harmonycode.h"

#include "base/keynames.h"

namespace tunedeck {

namespace {

ChordName noChord()
{
    return {QStringLiteral("-"), QStringLiteral("-")};
}

} // namespace

ChordName convertHarmonyCode(qint32 haCode, qint16 accidental)
{
    if (haCode <= 0 || haCode > 99999)
        return noChord();

    const int quality = haCode / 10000;
    const int root = (haCode % 10000) / 100;
    const int extension = (haCode % 100) / 10;
    const int fifth = haCode % 10;
    // Only roots 60..71 have a name; anything else is not a chord.
    if (root < 60 || root > 71)
        return noChord();

    const std::string_view spelt = pitchName(root - 60, accidental);
    QString rootName = QLatin1String(spelt.data(), qsizetype(spelt.size()));
    // Two characters, so every root is equally wide in the compact string: "C.", "C#".
    if (rootName.size() < 2)
        rootName += QLatin1Char('.');
    QString qualityMark = QStringLiteral(".");
    QString extensionMark = QStringLiteral(".");
    QString fifthMark = QStringLiteral(".");

    if (quality == 1)
        qualityMark = extension == 8 ? QStringLiteral("M") : QStringLiteral(".");
    else if (quality == 2)
        qualityMark = QStringLiteral("s");
    else
        qualityMark = QStringLiteral("m");

    if (fifth == 1)
        fifthMark = QStringLiteral("-");
    else if (fifth == 2)
        fifthMark = QStringLiteral("+");

    if (extension == 9)
        extensionMark = QStringLiteral("9");
    else if (extension == 6)
        extensionMark = QStringLiteral("6");
    else if (extension == 7 || extension == 8)
        extensionMark = QStringLiteral("7");

    ChordName name;
    name.compact = rootName + qualityMark + extensionMark + fifthMark;

    // The readable name drops the placeholders; the root keeps its ".".
    const QString dot = QStringLiteral(".");
    if (qualityMark == dot)
        qualityMark.clear();
    if (extensionMark == dot)
        extensionMark.clear();
    if (fifthMark == dot)
        fifthMark.clear();

    const bool suspended = qualityMark == QLatin1String("s");
    if (suspended)
        qualityMark = QStringLiteral(" Sus4");
    if (qualityMark == QLatin1String("M") && extensionMark == QLatin1String("7")) {
        qualityMark.clear();
        extensionMark = QStringLiteral(" Major7");
    }
    if (fifthMark == QLatin1String("-"))
        fifthMark = QStringLiteral(" Dim5");
    else if (fifthMark == QLatin1String("+"))
        fifthMark = QStringLiteral(" Aug5");

    name.readable = suspended ? rootName + extensionMark + qualityMark + fifthMark
                              : rootName + qualityMark + extensionMark + fifthMark;
    return name;
}

} // namespace tunedeck
