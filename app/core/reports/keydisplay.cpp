#include "core/reports/keydisplay.h"

#include "core/base/keysignature.h"
#include "core/reports/resulttext.h"

namespace tunedeck {

std::optional<KeyDisplay::Texts> KeyDisplay::show(std::int32_t code)
{
    Texts t;
    t.code = text::keyCode(code);
    if (t.code == shown_)
        return std::nullopt;
    shown_ = t.code;
    t.name = text::keyName(code);
    t.signature = text::signature(code);
    accidental_ = std::int16_t(accidentalDirection(code));
    return t;
}

} // namespace tunedeck
