// File names as bytes and as text. On POSIX systems a name is bytes that need not be UTF-8
// (a folder copied from an old disk, a name in Latin-1). In a QString such a name keeps its
// bytes: each byte that is not part of valid UTF-8 stands as U+DC80 + byte, a lone
// surrogate no valid text holds, so the name goes through Qt's strings and the workers'
// JSON and comes back whole. On Windows names are UTF-16, held as UTF-8 bytes here.
#ifndef TUNEDECK_COLLECTION_FILENAMES_H
#define TUNEDECK_COLLECTION_FILENAMES_H

#include <QJsonObject>
#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace tunedeck::collection {

bool isUtf8(std::string_view bytes);
// The length of the valid UTF-8 sequence that starts `bytes`; 0 when none does.
std::size_t utf8Length(std::string_view bytes);

// The name's bytes as text, and back: nameBytes(nameText(b)) == b for any bytes.
QString nameText(std::string_view bytes);
std::string nameBytes(QStringView text);

// "file": the name as valid UTF-8 text, U+FFFD for each byte that is not UTF-8; and only
// then "fileBytes": the exact bytes in base64, so that the name can still be opened.
void putFileName(QJsonObject &o, std::string_view bytes);

} // namespace tunedeck::collection

#endif
