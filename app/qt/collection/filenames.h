// File names as bytes and as Qt's text (batch/filenames has them as bytes). On POSIX systems a name is bytes that need not be UTF-8
// (a folder copied from an old disk, a name in Latin-1). In a QString such a name keeps its
// bytes: each byte that is not part of valid UTF-8 stands as U+DC80 + byte, a lone
// surrogate no valid text holds, so the name goes through Qt's strings and the workers'
// JSON and comes back whole. On Windows names are UTF-16, held as UTF-8 bytes here.
#ifndef TUNEDECK_QT_COLLECTION_FILENAMES_H
#define TUNEDECK_QT_COLLECTION_FILENAMES_H

#include "core/batch/filenames.h"

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace tunedeck::collection {

// The name's bytes as text, and back: nameBytes(nameText(b)) == b for any bytes.
QString nameText(std::string_view bytes);
std::string nameBytes(QStringView text);

} // namespace tunedeck::collection

#endif
