#include "reports/overallkeyreport.h"

#include "keys/keynaming.h"
#include "keys/numbertext.h"

#include <algorithm>

namespace tunedeck {

namespace {

// "045:162": three-digit rounded percentage, a colon, three-digit key code.
QString statEntry(float percent, qint32 code)
{
    // A count above the total would give more than 100 % and a four-digit field
    // that breaks the fixed-position reading of the entry.
    const qint64 rounded = std::clamp<qint64>(roundHalfAway(double(percent)), 0, 100);
    return zeroPadded(rounded, 3) + QLatin1Char(':') + zeroPadded(code, 3);
}

} // namespace

OverallKeyReport buildOverallKeyReport(const KeyStatistics &stats, bool moreSensitive,
                                       bool allTracks)
{
    OverallKeyReport report;

    for (std::size_t i = 0; i < stats.codes.size(); ++i) {
        report.percent[i] = 0.0f;
        // Codes that name no key are treated like no key: they would yield a
        // nameless candidate and a key field that is not three digits wide.
        if (!isKeyCode(stats.codes[i]))
            continue;
        if (stats.total > 0)
            report.percent[i] = float(double(stats.counts[i]) * 100.0 / double(stats.total));
        if (report.percent[i] > 0.0f)
            report.shortList.append(statEntry(report.percent[i], stats.codes[i]));
    }
    std::sort(report.shortList.begin(), report.shortList.end());

    if (report.shortList.isEmpty()) {
        report.nothingFound = true;
        if (!moreSensitive)
            report.advice = QStringLiteral("Try more sensitive");
        else if (!allTracks)
            report.advice = QStringLiteral("Try select All");
        else
            report.advice = QStringLiteral("Too few Events");
    }

    // The list is in ascending text order, so walking it backwards ranks the keys by
    // rounded percentage and, within one percentage, by the larger key code.
    for (qsizetype idx = report.shortList.size() - 1; idx >= 0; --idx) {
        const QString &entry = report.shortList.at(idx);
        const QString percentText = entry.left(3);
        const QString codeText = entry.mid(4, 3);
        const int percent = percentText.toInt();
        const qint32 code = codeText.toInt();
        if (idx == report.shortList.size() - 1) {
            report.topCode = code;
            report.topPercent = percent;
        }
        if (percent > 0) {
            QString kyStr;
            QString hbStr;
            SetKeyStr(code, kyStr, hbStr);
            report.candidates.append(percentText + QStringLiteral("% = (") + hbStr
                                     + QStringLiteral(") ") + kyStr);
            report.keyStat.append(percentText + QLatin1Char(':') + codeText);
        }
    }

    if (!report.candidates.isEmpty()) {
        report.kqKeyText = zeroPadded(report.topCode, 3);
        report.probability = QStringLiteral("Probability = ") + zeroPadded(report.topPercent, 2)
                             + QLatin1Char('%');
    }
    return report;
}

} // namespace tunedeck
