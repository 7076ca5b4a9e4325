// Every text the window and tunedeck-detect show of a run, formatted from its typed
// results in this one place.
#ifndef TUNEDECK_RESULTTEXT_H
#define TUNEDECK_RESULTTEXT_H

#include "fastdetect/fastdetection.h"
#include "fastdetect/openfile.h"

#include <QString>
#include <QStringList>

namespace tunedeck::text {

// Fixed messages.
inline const QString Loading = QStringLiteral("Loading ...");
inline const QString Playing = QStringLiteral("Playing ...");
inline const QString Stopped = QStringLiteral("Stoped");
inline const QString Cancelled = QStringLiteral("Canceled");
inline const QString NoData = QStringLiteral("No Data");
inline const QString TrackNotFound = QStringLiteral("Track not found");
inline const QString OutOfBuffer = QStringLiteral("Out of buffer");
inline const QString Error = QStringLiteral("Error");
inline const QString NothingFound = QStringLiteral("Nothing found");
inline const QString LibraryError = QStringLiteral("Tonalyte return error");
inline const QString EndOfData = QStringLiteral("End Of Data");
inline const QString OutputError = QStringLiteral("MIDIOutput1_Error");
inline const QString TimerError = QStringLiteral("KeyStartTimer() Error");
inline const QString NoKey = QStringLiteral("*");
inline const QString CurrentKey = QStringLiteral("Current Key");
inline const QString OverallKey = QStringLiteral("Overall Key");
inline const QString ClockStart = QStringLiteral("00:00");
inline const QString PlayTiming = QStringLiteral("MM:SS Timing");

QString openError(OpenError error);               // "File Open Error", "Midifile1_Error", ...
QString readerReason(const std::string &reason);  // "Midifile1: file ends inside track 3"
QString trackCount(std::int32_t tracks);          // "Trks = 3"
QString ticksPerQuarter(std::int32_t ticks);      // " 480"
QString libraryVersion(std::int32_t version);     // "Tonalyte - V126"
QString meterTiming(int meter);                   // "4/4 Meter Timing"
QString eventCount(int events);                   // " 982 events"
QString handled(int events);                      // " 982"
QString bar(std::int64_t bar);                    // "0021"
QString outOfBufferLimit();                       // "Max =  64000"
QString clock(std::uint32_t milliseconds);        // "01:05"

QString keyCode(std::int32_t code);               // "160", or "*" for no key
QString keyName(std::int32_t code);               // "C# Db Minor"; empty for no key
QString signature(std::int32_t code);             // "2#", "00", "5b"; empty for no key
QString candidate(const RankedKey &key);          // "089% = (1b) F Major"
QStringList candidates(const OverallKeyReport &report);
QString probability(int percent);                 // "Probability = 89%"
QString advice(KeyAdvice advice);                 // "Try more sensitive"
QString timelineOverflow(TimelineOverflow overflow); // "Timing overflow 1"; empty for none
QString timelinePoint(const TimelinePoint &point, bool barTiming); // "0012: C Major", "01:05 C Major"
QStringList timelinePoints(const KeyTimingReport &report);

// The live display of a played note.
QString playedNote(int note, int velocity, bool on); // "Note 060 On 100", "Note 060 Off"
QString detailPair(std::int32_t first, std::int32_t second); // "2 : 11"
QString fitRatio(float ratio);                               // "0.912345"

} // namespace tunedeck::text

#endif
