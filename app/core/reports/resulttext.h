// Every text the window and tunedeck-detect show of a run, formatted from its typed
// results in this one place. Texts are UTF-8.
#ifndef TUNEDECK_CORE_REPORTS_RESULTTEXT_H
#define TUNEDECK_CORE_REPORTS_RESULTTEXT_H

#include "core/fastdetect/fastdetection.h"
#include "core/fastdetect/openfile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tunedeck::text {

// Fixed messages.
inline const std::string Loading = "Loading ...";
inline const std::string Playing = "Playing ...";
inline const std::string Stopped = "Stoped";
inline const std::string Cancelled = "Canceled";
inline const std::string NoData = "No Data";
inline const std::string TrackNotFound = "Track not found";
inline const std::string OutOfBuffer = "Out of buffer";
inline const std::string Error = "Error";
inline const std::string NothingFound = "Nothing found";
inline const std::string LibraryError = "Tonalyte return error";
inline const std::string EndOfData = "End Of Data";
inline const std::string OutputError = "MIDIOutput1_Error";
inline const std::string TimerError = "KeyStartTimer() Error";
inline const std::string NoKey = "*";
inline const std::string CurrentKey = "Current Key";
inline const std::string OverallKey = "Overall Key";
inline const std::string ClockStart = "00:00";
inline const std::string PlayTiming = "MM:SS Timing";

std::string openError(OpenError error);               // "File Open Error", "Midifile1_Error", ...
std::string readerReason(const std::string &reason);  // "Midifile1: file ends inside track 3"
std::string trackCount(std::int32_t tracks);          // "Trks = 3"
std::string ticksPerQuarter(std::int32_t ticks);      // " 480"
std::string libraryVersion(std::int32_t version);     // "Tonalyte - V126"
std::string meterTiming(int meter);                   // "4/4 Meter Timing"
std::string eventCount(int events);                   // " 982 events"
std::string handled(int events);                      // " 982"
std::string bar(std::int64_t bar);                    // "0021"
std::string outOfBufferLimit();                       // "Max =  64000"
std::string clock(std::uint32_t milliseconds);        // "01:05"

std::string keyCode(std::int32_t code);               // "160", or "*" for no key
std::string keyName(std::int32_t code);               // "C# Db Minor"; empty for no key
std::string signature(std::int32_t code);             // "2#", "00", "5b"; empty for no key
std::string candidate(const RankedKey &key);          // "089% = (1b) F Major"
std::vector<std::string> candidates(const OverallKeyReport &report);
std::string probability(int percent);                 // "Probability = 89%"
std::string advice(KeyAdvice advice);                 // "Try more sensitive"
std::string timelineOverflow(TimelineOverflow overflow); // "Timing overflow 1"; empty for none
std::string timelinePoint(const TimelinePoint &point, bool barTiming); // "0012: C Major", "01:05 C Major"
std::vector<std::string> timelinePoints(const KeyTimingReport &report);

// The live display of a played note.
std::string playedNote(int note, int velocity, bool on);         // "Note 060 On 100", "Note 060 Off"
std::string detailPair(std::int32_t first, std::int32_t second); // "2 : 11"
std::string fitRatio(float ratio);                               // "0.912345"

// Note-ons of note 0 a run left out, which the library refuses (none: no line is shown).
std::string noteZeroLeftOut(int noteOns); // "Note 0: 2 notes are left out, as Tonalyte takes notes 1 to 127"

} // namespace tunedeck::text

#endif
