#include "collection/filenames.h"

#include <QByteArray>

namespace tunedeck::collection {

namespace {

constexpr char16_t EscapeBase = 0xDC00; // + a byte from 0x80 to 0xFF

// The length of the valid UTF-8 sequence at the start of `s` (its code point in `cp`), or 0.
// Overlong forms, surrogates and code points past U+10FFFF are not valid.
std::size_t sequence(std::string_view s, char32_t &cp)
{
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

} // namespace

std::size_t utf8Length(std::string_view bytes)
{
    char32_t cp = 0;
    return bytes.empty() ? 0 : sequence(bytes, cp);
}

bool isUtf8(std::string_view bytes)
{
    char32_t cp = 0;
    for (std::size_t i = 0, n = 0; i < bytes.size(); i += n)
        if ((n = sequence(bytes.substr(i), cp)) == 0)
            return false;
    return true;
}

QString nameText(std::string_view bytes)
{
    QString text;
    text.reserve(qsizetype(bytes.size()));
    char32_t cp = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (const std::size_t n = sequence(bytes.substr(i), cp)) {
            text += QString::fromUcs4(&cp, 1);
            i += n;
        } else {
            text += QChar(char16_t(EscapeBase + static_cast<unsigned char>(bytes[i++])));
        }
    }
    return text;
}

std::string nameBytes(QStringView text)
{
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    qsizetype plain = 0; // start of the text not yet written
    const auto flush = [&](qsizetype end) {
        const QByteArray utf8 = text.sliced(plain, end - plain).toUtf8();
        bytes.append(utf8.constData(), std::size_t(utf8.size()));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool paired = i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
        if (c >= EscapeBase + 0x80 && c <= EscapeBase + 0xFF && !paired) {
            flush(i);
            bytes += char(c - EscapeBase);
            plain = i + 1;
        }
    }
    flush(text.size());
    return bytes;
}

void putFileName(QJsonObject &o, std::string_view bytes)
{
    const QByteArray name(bytes.data(), qsizetype(bytes.size()));
    o[QStringLiteral("file")] = QString::fromUtf8(name);
    if (!isUtf8(bytes))
        o[QStringLiteral("fileBytes")] = QString::fromLatin1(name.toBase64());
}

} // namespace tunedeck::collection
