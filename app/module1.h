// Variables every window of the program shares.
#ifndef TUNEDECK_MODULE1_H
#define TUNEDECK_MODULE1_H

#include <QtGlobal>

namespace tunedeck::Module1 {

// Accidental direction of the key in force: +1 sharps, -1 flats, 0 none. The chord-name
// window spells roots with it.
inline qint16 CurKeyAccidental = 0;

// The harmony code the chord-name window converts; 0 means no chord.
inline qint32 HaCodeCur = 0;

} // namespace tunedeck::Module1

#endif
