#include "core/batch/filenames.h"

namespace tunedeck::batch {

std::size_t utf8Sequence(std::string_view s, char32_t &cp)
{
    if (s.empty())
        return 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned lead = byte(0);
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, min = 0x80, cp = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, min = 0x800, cp = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, min = 0x10000, cp = lead & 0x07;
    if (length == 0 || s.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

std::size_t utf8Length(std::string_view bytes)
{
    char32_t cp = 0;
    return utf8Sequence(bytes, cp);
}

bool isUtf8(std::string_view bytes)
{
    for (std::size_t i = 0, n = 0; i < bytes.size(); i += n)
        if ((n = utf8Length(bytes.substr(i))) == 0)
            return false;
    return true;
}

std::string validUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    std::size_t plain = 0; // start of the valid bytes not yet copied
    for (std::size_t i = 0; i < bytes.size();) {
        // ASCII needs no look at what follows.
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        if (const std::size_t n = utf8Length(bytes.substr(i))) {
            i += n;
            continue;
        }
        text.append(bytes.substr(plain, i - plain));
        text += "\xEF\xBF\xBD";
        plain = ++i;
    }
    text.append(bytes.substr(plain));
    return text;
}

std::string base64(std::string_view bytes)
{
    static constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 3; ++k)
            v = (v << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? Digits[(v >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return out;
}

void putFileName(nlohmann::json &o, std::string_view bytes)
{
    o["file"] = validUtf8(bytes);
    if (!isUtf8(bytes))
        o["fileBytes"] = base64(bytes);
}

std::string pathBytes(const std::filesystem::path &p, bool generic)
{
#ifdef _WIN32
    const std::u8string s = generic ? p.generic_u8string() : p.u8string();
    return std::string(s.begin(), s.end());
#else
    (void)generic;
    return p.native();
#endif
}

} // namespace tunedeck::batch
