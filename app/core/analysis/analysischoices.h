// The run's choices, one type for every front end: the window's controls, tunedeck-detect's
// options, Python's keywords and the page's fields all land here, and its defaults are the
// defaults every front end offers. choicetable.h says how each front end names each choice.
#ifndef TUNEDECK_CORE_ANALYSIS_ANALYSISCHOICES_H
#define TUNEDECK_CORE_ANALYSIS_ANALYSISCHOICES_H

#include "core/base/keynames.h"
#include "core/fastdetect/fastdetection.h"
#include "core/profile/analysisoptions.h"
#include "core/reports/keytimingreport.h"

namespace tunedeck {

// What the analyses' bars are: the music's, found from the notes, or the meter option's
// counted from tick 0 (the library's timeline keeps those either way).
enum class BarChoice { Music, Meter };

struct AnalysisChoices {
    // The library run's own part: tracks, sensitivity, meter, key count, the transposition
    // (and a play's tempo), muted channels.
    FastOptions fast;
    bool splitFormat0 = false;          // read a format 0 file one track per channel
    bool unfoldRepeats = false;         // a score's repeats played as marked, not once as written
    Notation notation = Notation::Standard; // the key names besides the window's
    BarLimit barLimit = BarLimit::Window;   // Every: the timeline past bar 9999
    profile::AnalysisOptions profile;   // the profile analysis' key profile and stay
    BarChoice bars = BarChoice::Music;  // the chords' and local keys' bars
    // Experimental: the local keys from the key and harmony network, and the chords in them,
    // where the front end installed it (chords/keysandchords.h).
    bool keyNetwork = false;

    // What the front end shows, not a user's choice.
    bool withProfile = true; // the profile analysis, which costs about what the library's run does
    bool withChords = true;  // the chords per beat, in the profile analysis' local keys
    bool withScorePlaces = false; // a score's text and places kept, to write the analysis into it
};

} // namespace tunedeck

#endif
