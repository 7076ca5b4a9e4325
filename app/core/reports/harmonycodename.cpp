#include "core/reports/harmonycodename.h"

#include "core/base/keynames.h"

namespace tunedeck {

namespace {

HarmonyCodeName noChord()
{
    return {"-", "-"};
}

} // namespace

HarmonyCodeName harmonyCodeName(std::int32_t haCode, std::int16_t accidental)
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

    std::string rootName(pitchName(root - 60, accidental));
    // Two characters, so every root is equally wide in the compact string: "C.", "C#".
    if (rootName.size() < 2)
        rootName += '.';
    std::string qualityMark = ".";
    std::string extensionMark = ".";
    std::string fifthMark = ".";

    if (quality == 1)
        qualityMark = extension == 8 ? "M" : ".";
    else if (quality == 2)
        qualityMark = "s";
    else
        qualityMark = "m";

    if (fifth == 1)
        fifthMark = "-";
    else if (fifth == 2)
        fifthMark = "+";

    if (extension == 9)
        extensionMark = "9";
    else if (extension == 6)
        extensionMark = "6";
    else if (extension == 7 || extension == 8)
        extensionMark = "7";

    HarmonyCodeName name;
    name.compact = rootName + qualityMark + extensionMark + fifthMark;

    // The readable name drops the placeholders; the root keeps its ".".
    for (std::string *mark : {&qualityMark, &extensionMark, &fifthMark})
        if (*mark == ".")
            mark->clear();

    const bool suspended = qualityMark == "s";
    if (suspended)
        qualityMark = " Sus4";
    if (qualityMark == "M" && extensionMark == "7") {
        qualityMark.clear();
        extensionMark = " Major7";
    }
    if (fifthMark == "-")
        fifthMark = " Dim5";
    else if (fifthMark == "+")
        fifthMark = " Aug5";

    name.readable = suspended ? rootName + extensionMark + qualityMark + fifthMark
                              : rootName + qualityMark + extensionMark + fifthMark;
    return name;
}

} // namespace tunedeck
