// The overall key of a run: shares per key, ranking, candidate lines, probability.
#ifndef TUNEDECK_OVERALLKEYREPORT_H
#define TUNEDECK_OVERALLKEYREPORT_H

#include <QString>
#include <QStringList>

#include <array>

namespace tunedeck {

// What KeyGetKStatic hands back.
struct KeyStatistics {
    std::array<qint32, 24> codes{};
    std::array<qint32, 24> counts{};
    qint32 total = 0;
};

struct OverallKeyReport {
    std::array<float, 24> percent{}; // KStatPercent
    QStringList shortList;           // CmbShort1: StatEntry texts in ascending text order
    QStringList keyStat;             // CmbKeyStat: StatEntry texts, most probable first
    QStringList candidates;          // lines added to CmbKeyList, most probable first
    bool nothingFound = false;       // LblError "Nothing found" and one beep
    QString advice;                  // LblHaStr when nothing was found
    qint32 topCode = 0;              // the overall key when candidates is not empty
    int topPercent = 0;
    QString kqKeyText;               // LblKqKey caption ("162", "069") when candidates is not empty
    QString probability;             // LblHaStr when candidates is not empty ("Probability = 45%")
};

OverallKeyReport buildOverallKeyReport(const KeyStatistics &stats, bool moreSensitive,
                                       bool allTracks);

} // namespace tunedeck

#endif
