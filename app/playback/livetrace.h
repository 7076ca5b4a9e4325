// What a listener sees of a file played in "1- Real Time Play", without playing it: at
// every second of the play, Tonalyte's key from the notes sent before it and the key the
// live profile analysis shows, computed as the window computes them.
#ifndef TUNEDECK_LIVETRACE_H
#define TUNEDECK_LIVETRACE_H

#include "fastdetect/fastdetection.h"
#include "fastdetect/openfile.h"
#include "profile/profiletracker.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck {

class TonalyteEngine;

struct LiveTracePoint {
    std::int64_t second = 0;
    std::int64_t tick = 0;  // the file's tick at that second of the play
    int tonalyte = 0;       // the key the window shows, 0 for none
    profile::ProfileReading profile;
};

// Every second from fromSecond to the last note's; nothing when the chosen track is not in
// the file. The library is fed with the play's times, as its own clock would time them. A
// later start is a play started by a seek there: both analyses rebuilt from the notes before
// it (seekrebuild.h), so from there on the trace is the one of a play from the start.
std::optional<std::vector<LiveTracePoint>> liveTrace(TonalyteEngine &library, const OpenFile &file,
                                                     const FastOptions &options,
                                                     const profile::TrackerOptions &live = {},
                                                     std::int64_t fromSecond = 0);

// {"second":s,"tick":t,"tonalyte":code,"profile":code,"confidence":c,"sure":b}, without a
// line end; the confidence rounded to three decimals and written in at most four digits.
std::string liveTraceLine(const LiveTracePoint &point);

} // namespace tunedeck

#endif
