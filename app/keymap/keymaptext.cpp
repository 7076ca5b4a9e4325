#include "keymap/keymaptext.h"

#include "keys/keynaming.h"

#include <QStringList>

namespace tunedeck {

QString keyMapKeyName(int keyCode)
{
    QString key, signature;
    SetKeyStr(keyCode, key, signature);
    return key.isEmpty() ? QStringLiteral("no key") : key;
}

QString shortKeyName(int keyCode)
{
    QString key, signature;
    const int direction = SetKeyStr(keyCode, key, signature);
    if (key.isEmpty())
        return {};
    // "C# Db" names both spellings: keep the one the signature uses.
    QString tonic = KeyNames().at(keyCode % 100 - 60);
    const QStringList spellings = tonic.split(QLatin1Char(' '));
    tonic = direction < 0 ? spellings.last() : spellings.first();
    return isMajorKey(keyCode) ? tonic : tonic + QLatin1Char('m');
}

QString positionText(KeyMapUnit unit, std::int64_t position)
{
    if (unit == KeyMapUnit::Bar)
        return QStringLiteral("Bar %1").arg(position);
    return QStringLiteral("%1 s").arg(position);
}

QString hoverText(const KeyMapData &data, std::int64_t position)
{
    if (data.bars <= 0 || position < data.first() || position > data.last())
        return {};
    QStringList keys;
    for (const KeyMapData::Row &row : data.rows) {
        QString text = keyMapKeyName(keyAt(row, position));
        if (!row.title.empty())
            text += QStringLiteral(" (%1)").arg(QString::fromStdString(row.title));
        keys << text;
    }
    return positionText(data.unit, position) + QStringLiteral(": ") + keys.join(QStringLiteral(", "));
}

} // namespace tunedeck
