// The timeline of the main keys: points where the music enters one of them.
#ifndef TUNEDECK_KEYTIMINGREPORT_H
#define TUNEDECK_KEYTIMINGREPORT_H

#include <QString>
#include <QStringList>

#include <array>

namespace tunedeck {

// What KeyGetKTiming hands back; entries after the first negative time are not read.
struct KeyTimeline {
    std::array<qint32, 256> codes{};
    std::array<qint32, 256> times{};
    qint32 full = 0;
};

// The option group "I don't known", "1 key" ... "4 keys".
enum class KeyCountChoice { NotKnown, One, Two, Three, Four };

struct KeyTimingReport {
    QString error;          // the last overflow message for LblError; empty when none
    QStringList keyTime;    // CmbKeyTime: every timeline entry as a TimeEntry
    QList<qint32> selected; // the selected key codes
    QStringList keyFilter;  // CmbKeyFilter1 after filtering, merging and the start fix-ups
    QStringList points;     // lines added to CmbKeyPoint ("0012: C Major", "01:01 C Major")
};

// barTiming: times are ticks shown as bars of ticksPerBar; otherwise milliseconds shown
// as minutes and seconds. keyStat is CmbKeyStat as the overall key report left it.
KeyTimingReport buildKeyTimingReport(const KeyTimeline &timeline, const QStringList &keyStat,
                                     bool barTiming, qint32 ticksPerBar, KeyCountChoice keys);

} // namespace tunedeck

#endif
