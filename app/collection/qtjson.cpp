#include "collection/qtjson.h"

#include <QJsonArray>

namespace tunedeck::collection {

QJsonValue qtJson(const nlohmann::json &v)
{
    switch (v.type()) {
    case nlohmann::json::value_t::null:
    case nlohmann::json::value_t::discarded: return QJsonValue();
    case nlohmann::json::value_t::boolean: return v.get<bool>();
    case nlohmann::json::value_t::number_integer: return qint64(v.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned: return qint64(v.get<std::uint64_t>());
    case nlohmann::json::value_t::number_float: return v.get<double>();
    case nlohmann::json::value_t::string: return QString::fromStdString(v.get_ref<const std::string &>());
    case nlohmann::json::value_t::binary: return QJsonValue();
    case nlohmann::json::value_t::array: {
        QJsonArray list;
        for (const nlohmann::json &item : v)
            list.append(qtJson(item));
        return list;
    }
    case nlohmann::json::value_t::object: return qtJsonObject(v);
    }
    return QJsonValue();
}

QJsonObject qtJsonObject(const nlohmann::json &v)
{
    QJsonObject o;
    if (!v.is_object())
        return o;
    for (const auto &[key, value] : v.items())
        o.insert(QString::fromStdString(key), qtJson(value));
    return o;
}

} // namespace tunedeck::collection
