#include "reports/keytimingreport.h"

#include "keys/keynaming.h"
#include "keys/numbertext.h"

#include <algorithm>

namespace tunedeck {

namespace {

constexpr int maxSelectedKeys = 10;
constexpr int notKnownTarget = 70; // percent the top keys must reach together
constexpr qint64 maxBars = 10000;
constexpr qint64 maxMinutes = 100;

// Entries are fixed-width texts read back by position: "tttt:ccc" and "ppp:ccc".
int timeEntryCode(const QString &entry)
{
    return entry.mid(5, 3).toInt();
}
int statEntryPercent(const QString &entry)
{
    return entry.left(3).toInt();
}
QString statEntryCodeText(const QString &entry)
{
    return entry.mid(4, 3);
}

int keyCount(KeyCountChoice keys, qsizetype ranked)
{
    int n = 0;
    switch (keys) {
    case KeyCountChoice::One: n = 1; break;
    case KeyCountChoice::Two: n = 2; break;
    case KeyCountChoice::Three: n = 3; break;
    case KeyCountChoice::Four: n = 4; break;
    case KeyCountChoice::NotKnown: n = int(std::min<qsizetype>(ranked, maxSelectedKeys)); break;
    }
    return int(std::min<qsizetype>(n, ranked));
}

} // namespace

KeyTimingReport buildKeyTimingReport(const KeyTimeline &timeline, const QStringList &keyStat,
                                     bool barTiming, qint32 ticksPerBar, KeyCountChoice keys)
{
    KeyTimingReport report;
    if (timeline.full != 0)
        report.error = QStringLiteral("Timing overflow 1");

    // A header with no usable ticks-per-quarter must not divide by zero.
    const qint64 barTicks = ticksPerBar > 0 ? ticksPerBar : 1;
    const QString startTime = barTiming ? QStringLiteral("0001") : QStringLiteral("0000");

    for (std::size_t i = 0; i < timeline.times.size(); ++i) {
        const qint64 time = timeline.times[i];
        if (time < 0)
            break;
        QString timeField;
        if (barTiming) {
            const qint64 bar = time / barTicks + 1;
            if (bar >= maxBars) {
                report.error = QStringLiteral("Timing overflow 3");
                break;
            }
            timeField = zeroPadded(bar, 4);
        } else {
            const qint64 seconds = time / 1000;
            const qint64 minutes = seconds / 60;
            if (minutes >= maxMinutes) {
                report.error = QStringLiteral("Timing overflow 2");
                break;
            }
            timeField = zeroPadded(minutes, 2) + zeroPadded(seconds % 60, 2);
        }
        // A code that names no key counts as no key; it keeps the entry three digits wide.
        const qint32 code = isKeyCode(timeline.codes[i]) ? timeline.codes[i] : 0;
        report.keyTime.append(timeField + QLatin1Char(':') + zeroPadded(code, 3));
    }

    const int n = keyCount(keys, keyStat.size());
    int sum = 0;
    for (int k = 0; k < n; ++k) {
        report.selected.append(statEntryCodeText(keyStat.at(k)).toInt());
        sum += statEntryPercent(keyStat.at(k));
        if (keys == KeyCountChoice::NotKnown && sum >= notKnownTarget)
            break;
    }

    for (const QString &entry : std::as_const(report.keyTime)) {
        const int code = timeEntryCode(entry);
        if (code != 0 && report.selected.contains(code))
            report.keyFilter.append(entry);
    }

    // Keys left out in between do not split a region: keep only changes of key.
    for (qsizetype p = 0; p + 1 < report.keyFilter.size();) {
        if (timeEntryCode(report.keyFilter.at(p + 1)) == timeEntryCode(report.keyFilter.at(p)))
            report.keyFilter.removeAt(p + 1);
        else
            ++p;
    }

    if (report.keyFilter.isEmpty() && !keyStat.isEmpty())
        report.keyFilter.append(QStringLiteral("0000:"));
    // The first key holds from the start of the music, wherever its region was found.
    if (!report.keyFilter.isEmpty())
        report.keyFilter.first().replace(0, 4, startTime);
    // A single point is shown as the overall key rather than whichever key survived.
    if (report.keyFilter.size() == 1 && !keyStat.isEmpty())
        report.keyFilter.first() = startTime + QLatin1Char(':') + statEntryCodeText(keyStat.first());

    for (const QString &entry : std::as_const(report.keyFilter)) {
        QString kyStr;
        QString hbStr;
        SetKeyStr(timeEntryCode(entry), kyStr, hbStr);
        if (barTiming)
            report.points.append(entry.left(4) + QStringLiteral(": ") + kyStr);
        else
            report.points.append(entry.left(2) + QLatin1Char(':') + entry.mid(2, 2)
                                 + QLatin1Char(' ') + kyStr);
    }
    return report;
}

} // namespace tunedeck
