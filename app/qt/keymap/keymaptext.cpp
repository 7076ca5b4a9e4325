#include "qt/keymap/keymaptext.h"

#include "core/base/keynames.h"
#include "core/base/spelling.h"

#include <QStringList>

namespace tunedeck {

QString keyMapKeyName(int keyCode, Notation notation)
{
    const std::string key = keyName(keyCode, notation);
    return key.empty() ? QStringLiteral("no key") : QString::fromStdString(key);
}

QString keyMapLabel(const KeyMapSegment &segment, Notation notation)
{
    // The short standard names keep the stretches readable where the long ones would not fit.
    const int code = segment.keyCode;
    return QString::fromStdString(notation == Notation::Standard ? shortWrittenKeyName(code, segment.keyFifths)
                                                                 : keyName(code, notation));
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
        QString text = keyMapKeyName(keyAt(row, position), data.notation);
        if (!row.title.empty())
            text += QStringLiteral(" (%1)").arg(QString::fromStdString(row.title));
        keys << text;
    }
    return positionText(data.unit, position) + QStringLiteral(": ") + keys.join(QStringLiteral(", "));
}

} // namespace tunedeck
