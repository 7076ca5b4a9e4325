// The fake worker's answer: one FileResult as compact JSON.
#ifndef TUNEDECK_TESTS_FAKEANSWER_H
#define TUNEDECK_TESTS_FAKEANSWER_H

#include "qt/collection/fileresult.h"

#include <QJsonDocument>

#include <optional>
#include <string>

namespace tunedeck::collection {

inline std::string fakeAnswer(const FileResult &r)
{
    return QJsonDocument(toJson(r)).toJson(QJsonDocument::Compact).toStdString();
}

// Nothing for text that is not a JSON object.
inline std::optional<FileResult> readFakeAnswer(const std::string &payload)
{
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(payload));
    return doc.isObject() ? fromJson(doc.object()) : std::nullopt;
}

} // namespace tunedeck::collection

#endif
