// A key's signature, from the one table the window and the key-signature copies share.
#ifndef TUNEDECK_CORE_BASE_KEYSIGNATURE_H
#define TUNEDECK_CORE_BASE_KEYSIGNATURE_H

#include <optional>
#include <string>

namespace tunedeck {

// The sf and mi bytes of a key-signature meta event (FF 59 02 sf mi).
struct KeySignature {
    int sharpsOrFlats = 0; // sharps above 0, flats below
    bool minor = false;

    friend bool operator==(const KeySignature &, const KeySignature &) = default;
};

// The usual signature of the key: the window's choice for the six-accidental keys (F# Gb
// major and D# Eb minor take six sharps), Db major five flats, B major five sharps; a
// minor key takes its relative major's. Nothing for a code that names no key.
std::optional<KeySignature> keySignatureFor(int code);

// The signature as the window writes it: "2#", "00", "5b"; empty for no key.
std::string signatureText(int code);

// +1 for a signature of sharps, -1 for flats, 0 for none or no key: chord roots are
// spelled by it.
int accidentalDirection(int code);

} // namespace tunedeck

#endif
