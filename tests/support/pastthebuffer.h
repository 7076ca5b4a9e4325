// A file past the 64,000-event buffer, for every front end's tests of what it shows up to the
// limit: 8,000 beats of a held C major chord (C E G C, 8 note events a beat: 64,000 events),
// then 200 beats of F# major that no analysis reaches, in one track at 480 ticks a quarter.
#ifndef TUNEDECK_TESTS_PASTTHEBUFFER_H
#define TUNEDECK_TESTS_PASTTHEBUFFER_H

#include "midiwriter.h"

inline midiwriter::File pastTheBuffer()
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    midiwriter::Track &t = f.addTrack();
    for (int beat = 0; beat < 8200; ++beat) {
        const int root = beat < 8000 ? 48 : 54;
        for (int n : {root, root + 4, root + 7, root + 12})
            t.noteOn(0, n, 90);
        t.wait(480);
        for (int n : {root, root + 4, root + 7, root + 12})
            t.noteOff(0, n);
    }
    return f;
}

#endif
