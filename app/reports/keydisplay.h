// The key in force as the window names it. The name and the signature follow the key-code
// text: they are worked out again only when that text changes.
#ifndef TUNEDECK_KEYDISPLAY_H
#define TUNEDECK_KEYDISPLAY_H

#include <QString>

#include <cstdint>
#include <optional>

namespace tunedeck {

class KeyDisplay {
public:
    struct Texts {
        QString code;      // "160", or "*" for no key
        QString name;      // "C Major"; empty for no key
        QString signature; // "00", "2#", "5b"; empty for no key
    };

    // The texts for code, or nothing when its code text is the one shown already.
    std::optional<Texts> show(std::int32_t code);

    // Sharps (+1), flats (-1) or neither (0) in the key shown: chord roots are spelled by it.
    std::int16_t accidental() const { return accidental_; }

private:
    QString shown_ = QStringLiteral("Code"); // the window's first caption
    std::int16_t accidental_ = 0;
};

} // namespace tunedeck

#endif
