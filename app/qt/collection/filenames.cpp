#include "qt/collection/filenames.h"

#include <QByteArray>

namespace tunedeck::collection {

namespace {

constexpr char16_t EscapeBase = 0xDC00; // + a byte from 0x80 to 0xFF

} // namespace

QString nameText(std::string_view bytes)
{
    QString text;
    text.reserve(qsizetype(bytes.size()));
    char32_t cp = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (const std::size_t n = batch::utf8Sequence(bytes.substr(i), cp)) {
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

} // namespace tunedeck::collection
