// Harmony code (five decimal digits) to chord name.
#ifndef TUNEDECK_HARMONYCODE_H
#define TUNEDECK_HARMONYCODE_H

#include <QString>

namespace tunedeck {

struct ChordName {
    QString compact;  // five characters, "C#M7+"; "-" for no chord
    QString readable; // "C# Major7 Aug5"; "-" for no chord (the main window adds a leading blank)
};

// accidental: the key in force's direction; negative spells roots with flats.
ChordName convertHarmonyCode(qint32 haCode, qint16 accidental);

} // namespace tunedeck

#endif
