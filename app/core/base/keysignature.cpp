#include "core/base/keysignature.h"

#include "core/base/keycodes.h"

namespace tunedeck {

std::optional<KeySignature> keySignatureFor(int code)
{
    if (!isKeyCode(code))
        return std::nullopt;
    // Index: the major tonic's pitch class from C.
    static constexpr int majorSignatures[12] = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};
    return KeySignature{majorSignatures[relativeMajorTonic(code)], isMinorKey(code)};
}

std::string signatureText(int code)
{
    const std::optional<KeySignature> sig = keySignatureFor(code);
    if (!sig)
        return {};
    if (sig->sharpsOrFlats == 0)
        return "00";
    const int count = sig->sharpsOrFlats < 0 ? -sig->sharpsOrFlats : sig->sharpsOrFlats;
    return std::to_string(count) + (sig->sharpsOrFlats > 0 ? '#' : 'b');
}

int accidentalDirection(int code)
{
    const std::optional<KeySignature> sig = keySignatureFor(code);
    if (!sig)
        return 0;
    return (sig->sharpsOrFlats > 0) - (sig->sharpsOrFlats < 0);
}

} // namespace tunedeck
