#include "windows/openproblem.h"

#include <QDir>
#include <QFileInfo>

namespace tunedeck {

namespace {

QString formatProblem(const QString &name, const OpenFile &file)
{
    const MidiFile &midi = file.midi();
    if (file.isSplittableFormat0())
        return QStringLiteral("%1 is a format 0 file: turn on File > Read format 0 files").arg(name);
    if (midi.divisionKind() != 0)
        return QStringLiteral("%1 counts time in SMPTE frames (%2 per second); Tunedeck reads only files "
                              "that count ticks per quarter note")
            .arg(name)
            .arg(midi.divisionKind());
    if (midi.format() != 0 && midi.format() != 1)
        return QStringLiteral("%1 is a format %2 file (separate patterns), which Tunedeck does not read")
            .arg(name)
            .arg(midi.format());
    return QStringLiteral("%1 has a time division of %2 ticks per quarter note, which cannot be timed")
        .arg(name)
        .arg(midi.ticksPerQuarter());
}

} // namespace

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
    case OpenError::InvalidHeader:
        return QStringLiteral("%1 is not a MIDI file: it does not begin with a MIDI header (MThd)").arg(name);
    case OpenError::Reader:
        return QStringLiteral("%1 is damaged: %2").arg(name, reason);
    case OpenError::FormatNotSupported: return formatProblem(name, file);
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
