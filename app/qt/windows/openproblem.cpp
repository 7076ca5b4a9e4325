#include "qt/windows/openproblem.h"

#include <QDir>
#include <QFileInfo>

namespace tunedeck {

QString openProblem(const QString &path, const OpenFailure &failure, const OpenFile &file)
{
    const QString name = QFileInfo(path).fileName();
    const QString reason = QString::fromStdString(failure.reason);
    switch (failure.kind) {
    case OpenError::None: return {};
    case OpenError::FileOpen:
        if (path.isEmpty())
            return QStringLiteral("No file chosen: press Browse, or drop a MIDI file on the window");
        return QStringLiteral("Cannot open %1: %2")
            .arg(QDir::toNativeSeparators(path), reason);
    case OpenError::InvalidHeader: return QStringLiteral("%1 is not a MIDI file: %2").arg(name, reason);
    case OpenError::Reader:
        return QStringLiteral("%1 is damaged: %2").arg(name, reason);
    case OpenError::FormatNotSupported:
        // The window says where the option is.
        if (file.isSplittableFormat0())
            return QStringLiteral("%1 is a format 0 file: turn on File > Read format 0 files").arg(name);
        return QStringLiteral("%1 cannot be read: %2").arg(name, reason);
    }
    return {};
}

QString openNote(const QString &path, const OpenFile &file)
{
    if (!file.wasSplit())
        return {};
    return QStringLiteral("%1 is a format 0 file, read one track per channel: \"Track 01\" is its lowest channel")
        .arg(QFileInfo(path).fileName());
}

} // namespace tunedeck
