// The core's JSON values as Qt's, so the command prints them with the rest of its JSON.
#ifndef TUNEDECK_COLLECTION_QTJSON_H
#define TUNEDECK_COLLECTION_QTJSON_H

#include <nlohmann/json.hpp>

#include <QJsonObject>
#include <QJsonValue>

namespace tunedeck::collection {

QJsonValue qtJson(const nlohmann::json &value);
// An object; anything else gives an empty one.
QJsonObject qtJsonObject(const nlohmann::json &value);

} // namespace tunedeck::collection

#endif
