// The key in force as the window names it. The name and the signature follow the key-code
// text: they are worked out again only when that text changes.
#ifndef TUNEDECK_CORE_REPORTS_KEYDISPLAY_H
#define TUNEDECK_CORE_REPORTS_KEYDISPLAY_H

#include <cstdint>
#include <optional>
#include <string>

namespace tunedeck {

class KeyDisplay {
public:
    struct Texts {
        std::string code;      // "160", or "*" for no key
        std::string name;      // "C Major"; empty for no key
        std::string signature; // "00", "2#", "5b"; empty for no key
    };

    // The texts for code, or nothing when its code text is the one shown already.
    std::optional<Texts> show(std::int32_t code);

    // Sharps (+1), flats (-1) or neither (0) in the key shown: chord roots are spelled by it.
    std::int16_t accidental() const { return accidental_; }

private:
    std::string shown_ = "Code"; // the window's first caption
    std::int16_t accidental_ = 0;
};

} // namespace tunedeck

#endif
