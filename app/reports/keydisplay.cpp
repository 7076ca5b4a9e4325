#include "reports/keydisplay.h"

#include "keys/keynaming.h"
#include "reports/resulttext.h"

namespace tunedeck {

std::optional<KeyDisplay::Texts> KeyDisplay::show(std::int32_t code)
{
    Texts t;
    t.code = text::keyCode(code);
    if (t.code == shown_)
        return std::nullopt;
    shown_ = t.code;
    accidental_ = SetKeyStr(code, t.name, t.signature);
    return t;
}

} // namespace tunedeck
