// What the end of a run shows, label by label: the one place that turns a run's typed
// results into the texts the window and tunedeck-detect show.
#ifndef TUNEDECK_CORE_REPORTS_RUNTEXTS_H
#define TUNEDECK_CORE_REPORTS_RUNTEXTS_H

#include "core/fastdetect/fastdetection.h"
#include "core/fastdetect/openfile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck {

// A label left unset keeps what it showed before the run; a window that showed nothing
// shows it empty.
struct RunTexts {
    std::optional<std::string> kType, haStr, keyTiming, mess, cTime, error;
    std::optional<std::int32_t> key; // the key display shows this code; 0 clears it
    std::optional<std::vector<std::string>> keyList, keyPoint;
    bool beep = false; // nothing was found: the reports sound the system beep

    // As a window that showed nothing before shows it.
    static std::string shown(const std::optional<std::string> &text) { return text.value_or(std::string()); }
    // The texts later shows over these, as the labels would show them one after the other.
    RunTexts &then(const RunTexts &later);
};

// A file the opener refused ("File Open Error", and the reader's words).
RunTexts openTexts(OpenError error, const std::string &readerReason);

// A run starts: the result display reset, its timeline in minutes and seconds for a play or
// listening, in bars of the meter for a fast detection.
RunTexts liveStartTexts();
RunTexts gatheredTexts(int meter);
// A fast detection's library is ready for its events.
RunTexts feedingTexts(int events);

// The overall key and timeline reports every run ends with.
RunTexts reportTexts(const KeyReports &reports);

// A fast detection on an opened file, from its choice of tracks to its reports.
RunTexts fastRunTexts(const FastDetection &run);

// The key display's three texts for a code: "160", "C Major", "00"; "*" and two empty
// texts for no key.
struct KeyTexts {
    std::string code, name, signature;
};
KeyTexts keyTexts(std::int32_t code);

} // namespace tunedeck

#endif
