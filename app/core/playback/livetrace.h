// What a listener sees of a file played in "1- Real Time Play", without playing it: at
// every second of the play, Tonalyte's key from the notes sent before it, the key the
// listening tracker shows from them, and the local key of the whole-file analysis at the
// play's position, which a play shows; computed as the window computes them.
#ifndef TUNEDECK_CORE_PLAYBACK_LIVETRACE_H
#define TUNEDECK_CORE_PLAYBACK_LIVETRACE_H

#include "core/fastdetect/fastdetection.h"
#include "core/fastdetect/openfile.h"
#include "core/profile/profileanalysis.h"
#include "core/profile/profiletracker.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck {

class TonalyteEngine;

struct LiveTracePoint {
    std::int64_t second = 0;
    std::int64_t tick = 0;  // the file's tick at that second of the play
    int tonalyte = 0;       // the key the window shows, 0 for none
    profile::ProfileReading profile; // the listening tracker's, from the notes before that second
    // What the play shows: the whole-file analysis' local key there with its window's
    // confidence; past the events that analysis holds (a file over the buffer), the
    // tracker's reading, and listened is set.
    int local = 0;
    double localConfidence = 0;
    bool listened = false;
};

struct LiveTraceChoices {
    profile::TrackerOptions listening;
    profile::AnalysisOptions analysis; // the whole-file analysis the play shows the local keys of
    bool keyNetwork = false;           // its local keys from the key network
    bool musicBars = true;             // its bars the music's (AnalysisChoices::bars), else the meter's
    std::int64_t fromSecond = 0;
};

// Every second from fromSecond to the last note's; nothing when the chosen track is not in
// the file. What is played counts: the tracks, transposition and muted channels of options;
// the tempo changes the seconds only. The library is fed with the play's times, as its own
// clock would time them. A later start is a play started by a seek there: the library and
// the tracker rebuilt from the notes before it (seekrebuild.h), so from there on the trace
// is the one of a play from the start; the local keys are the whole file's anyway.
std::optional<std::vector<LiveTracePoint>> liveTrace(TonalyteEngine &library, const OpenFile &file,
                                                     const FastOptions &options, const LiveTraceChoices &choices = {});
// The same points handed to `each` as they are read, none kept: a file's ticks can make a
// play last weeks, a line a second. False when the chosen track is not in the file.
bool liveTrace(TonalyteEngine &library, const OpenFile &file, const FastOptions &options,
               const LiveTraceChoices &choices, const std::function<void(const LiveTracePoint &)> &each);

// {"second":s,"tick":t,"tonalyte":code,"profile":code,"confidence":c,"sure":b,"local":code,
// "localConfidence":c}, and "listened":true when the local key is the tracker's, without a
// line end; the confidences rounded to three decimals and written in at most four digits.
std::string liveTraceLine(const LiveTracePoint &point);

} // namespace tunedeck

#endif
