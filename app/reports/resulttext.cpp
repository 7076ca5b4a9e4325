#include "reports/resulttext.h"

#include "base/keynames.h"
#include "base/keysignature.h"
#include "fastdetect/meter.h"
#include "reports/numbertext.h"

namespace tunedeck::text {

QString openError(OpenError error)
{
    switch (error) {
    case OpenError::None: return {};
    case OpenError::FileOpen: return QStringLiteral("File Open Error");
    case OpenError::InvalidHeader: return QStringLiteral("Invalid File Header");
    case OpenError::Reader: return QStringLiteral("Midifile1_Error");
    case OpenError::FormatNotSupported: return QStringLiteral("Format not supported");
    }
    return {};
}

QString readerReason(const std::string &reason)
{
    return QStringLiteral("Midifile1: ") + QString::fromStdString(reason);
}

QString trackCount(std::int32_t tracks) { return QStringLiteral("Trks =") + signedText(tracks); }
QString ticksPerQuarter(std::int32_t ticks) { return signedText(ticks); }
QString libraryVersion(std::int32_t version) { return QStringLiteral("Tonalyte - V") + zeroPadded(version, 3); }

QString meterTiming(int meter)
{
    const std::string_view name = Meters[std::size_t(meterIndex(meter))].text;
    return QString::fromLatin1(name.data(), qsizetype(name.size())) + QStringLiteral(" Meter Timing");
}

QString eventCount(int events) { return signedText(events) + QStringLiteral(" events"); }
QString handled(int events) { return signedText(events); }
QString bar(std::int64_t bar) { return zeroPadded(bar, 4); }
QString outOfBufferLimit() { return QStringLiteral("Max = ") + signedText(MaxNoteEvents); }

QString clock(std::uint32_t milliseconds)
{
    const qint64 seconds = milliseconds / 1000;
    return zeroPadded(seconds / 60, 2) + QLatin1Char(':') + zeroPadded(seconds % 60, 2);
}

QString keyCode(std::int32_t code) { return code == 0 ? NoKey : zeroPadded(code, 3); }
QString keyName(std::int32_t code) { return QString::fromStdString(tunedeck::keyName(code, Notation::Standard)); }
QString signature(std::int32_t code) { return QString::fromStdString(signatureText(code)); }

QString candidate(const RankedKey &key)
{
    return zeroPadded(key.percent, 3) + QStringLiteral("% = (") + signature(key.code) + QStringLiteral(") ")
           + keyName(key.code);
}

QStringList candidates(const OverallKeyReport &report)
{
    QStringList lines;
    for (const RankedKey &k : report.ranked)
        lines.append(candidate(k));
    return lines;
}

QString probability(int percent) { return QStringLiteral("Probability = ") + zeroPadded(percent, 2) + QLatin1Char('%'); }

QString advice(KeyAdvice advice)
{
    switch (advice) {
    case KeyAdvice::None: return {};
    case KeyAdvice::MoreSensitive: return QStringLiteral("Try more sensitive");
    case KeyAdvice::SelectAll: return QStringLiteral("Try select All");
    case KeyAdvice::TooFewEvents: return QStringLiteral("Too few Events");
    }
    return {};
}

QString timelineOverflow(TimelineOverflow overflow)
{
    switch (overflow) {
    case TimelineOverflow::None: return {};
    case TimelineOverflow::Full: return QStringLiteral("Timing overflow 1");
    case TimelineOverflow::Minutes: return QStringLiteral("Timing overflow 2");
    case TimelineOverflow::Bars: return QStringLiteral("Timing overflow 3");
    }
    return {};
}

QString timelinePoint(const TimelinePoint &point, bool barTiming)
{
    const QString name = keyName(point.code);
    if (barTiming)
        return zeroPadded(point.at, 4) + QStringLiteral(": ") + name;
    return zeroPadded(point.at / 60, 2) + QLatin1Char(':') + zeroPadded(point.at % 60, 2) + QLatin1Char(' ') + name;
}

QStringList timelinePoints(const KeyTimingReport &report)
{
    QStringList lines;
    for (const TimelinePoint &p : report.points)
        lines.append(timelinePoint(p, report.barTiming));
    return lines;
}

QString playedNote(int note, int velocity, bool on)
{
    return QStringLiteral("Note ") + zeroPadded(note, 3)
           + (on ? QStringLiteral(" On ") + zeroPadded(velocity, 3) : QStringLiteral(" Off"));
}

QString detailPair(std::int32_t first, std::int32_t second)
{
    return QString::number(first) + QStringLiteral(" : ") + QString::number(second);
}

QString fitRatio(float ratio) { return fixedDecimals(ratio, 6); }

} // namespace tunedeck::text
