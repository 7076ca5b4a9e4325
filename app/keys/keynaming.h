// Key code to key name, key-signature text and accidental direction.
#ifndef TUNEDECK_KEYNAMING_H
#define TUNEDECK_KEYNAMING_H

#include <QString>
#include <QStringList>

namespace tunedeck {

// Pitch-class names, index 0 = C; black keys carry both spellings.
const QStringList &KeyNames();

// True for the codes that name a key: 60..71 (minor) and 160..171 (major).
bool isKeyCode(qint32 nCode);

// Writes the key text ("D Major", "C# Db Minor") and the signature text ("2#", "00",
// "5b") for nCode; returns +1 for sharps, -1 for flats, 0 for none. No key (0), a
// rejected event (negative) and codes that name no key give two empty texts and 0.
qint16 SetKeyStr(qint32 nCode, QString &kyStr, QString &hbStr);

} // namespace tunedeck

#endif
