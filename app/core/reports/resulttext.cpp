#include "core/reports/resulttext.h"

#include "core/base/keynames.h"
#include "core/base/keysignature.h"
#include "core/fastdetect/meter.h"
#include "core/reports/numbertext.h"

namespace tunedeck::text {

std::string openError(OpenError error)
{
    switch (error) {
    case OpenError::None: return {};
    case OpenError::FileOpen: return "File Open Error";
    case OpenError::InvalidHeader: return "Invalid File Header";
    case OpenError::Reader: return "Midifile1_Error";
    case OpenError::FormatNotSupported: return "Format not supported";
    }
    return {};
}

std::string readerReason(const std::string &reason)
{
    return "Midifile1: " + reason;
}

std::string trackCount(std::int32_t tracks) { return "Trks =" + signedText(tracks); }
std::string ticksPerQuarter(std::int32_t ticks) { return signedText(ticks); }
std::string libraryVersion(std::int32_t version) { return "Tonalyte - V" + zeroPadded(version, 3); }

std::string meterTiming(int meter)
{
    return std::string(Meters[std::size_t(meterIndex(meter))].text) + " Meter Timing";
}

std::string eventCount(int events) { return signedText(events) + " events"; }
std::string handled(int events) { return signedText(events); }
std::string bar(std::int64_t bar) { return zeroPadded(bar, 4); }
std::string outOfBufferLimit() { return "Max = " + signedText(MaxNoteEvents); }

std::string clock(std::uint32_t milliseconds)
{
    const std::int64_t seconds = milliseconds / 1000;
    return zeroPadded(seconds / 60, 2) + ':' + zeroPadded(seconds % 60, 2);
}

std::string keyCode(std::int32_t code) { return code == 0 ? NoKey : zeroPadded(code, 3); }
std::string keyName(std::int32_t code) { return tunedeck::keyName(code, Notation::Standard); }
std::string signature(std::int32_t code) { return signatureText(code); }

std::string candidate(const RankedKey &key)
{
    return zeroPadded(key.percent, 3) + "% = (" + signature(key.code) + ") " + keyName(key.code);
}

std::vector<std::string> candidates(const OverallKeyReport &report)
{
    std::vector<std::string> lines;
    for (const RankedKey &k : report.ranked)
        lines.push_back(candidate(k));
    return lines;
}

std::string probability(int percent) { return "Probability = " + zeroPadded(percent, 2) + '%'; }

std::string advice(KeyAdvice advice)
{
    switch (advice) {
    case KeyAdvice::None: return {};
    case KeyAdvice::MoreSensitive: return "Try more sensitive";
    case KeyAdvice::SelectAll: return "Try select All";
    case KeyAdvice::TooFewEvents: return "Too few Events";
    }
    return {};
}

std::string timelineOverflow(TimelineOverflow overflow)
{
    switch (overflow) {
    case TimelineOverflow::None: return {};
    case TimelineOverflow::Full: return "Timing overflow 1";
    case TimelineOverflow::Minutes: return "Timing overflow 2";
    case TimelineOverflow::Bars: return "Timing overflow 3";
    }
    return {};
}

std::string timelinePoint(const TimelinePoint &point, bool barTiming)
{
    const std::string name = keyName(point.code);
    if (barTiming)
        return zeroPadded(point.at, 4) + ": " + name;
    return zeroPadded(point.at / 60, 2) + ':' + zeroPadded(point.at % 60, 2) + ' ' + name;
}

std::vector<std::string> timelinePoints(const KeyTimingReport &report)
{
    std::vector<std::string> lines;
    for (const TimelinePoint &p : report.points)
        lines.push_back(timelinePoint(p, report.barTiming));
    return lines;
}

std::string playedNote(int note, int velocity, bool on)
{
    return "Note " + zeroPadded(note, 3) + (on ? " On " + zeroPadded(velocity, 3) : std::string(" Off"));
}

std::string detailPair(std::int32_t first, std::int32_t second)
{
    return std::to_string(first) + " : " + std::to_string(second);
}

std::string fitRatio(float ratio) { return fixedDecimals(ratio, 6); }

std::string noteZeroLeftOut(int noteOns)
{
    const std::string count = noteOns == 1 ? "1 note is" : std::to_string(noteOns) + " notes are";
    return "Note 0: " + count + " left out, as Tonalyte takes notes 1 to 127";
}

} // namespace tunedeck::text
