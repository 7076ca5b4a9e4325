// The generated files the benchmarks share, so that their figures speak of the same music.
#ifndef TUNEDECK_BENCHFILES_H
#define TUNEDECK_BENCHFILES_H

#include "midiwriter.h"

#include <random>

namespace tunedeck::bench {

// Four voices over a few keys with modulations: 64,000 note events, about 8 minutes.
inline midiwriter::File modulatingFile()
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    std::mt19937 rng(7);
    const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    const int tonics[4] = {0, 7, 2, 9};
    for (int voice = 0; voice < 4; ++voice) {
        auto &t = f.addTrack();
        const int base = 36 + 12 * voice;
        for (int n = 0; n < 8000; ++n) {
            const int tonic = tonics[(n / 500) % 4];
            const int key = base + tonic + major[rng() % 7];
            const int length = 120 * (1 + int(rng() % 4));
            t.note(voice, key, 60 + int(rng() % 60), length);
        }
    }
    return f;
}

// Four voices of C major scale notes at one velocity: 64,000 note events.
inline midiwriter::File scaleFile()
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    std::mt19937 rng(7);
    const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    for (int voice = 0; voice < 4; ++voice) {
        auto &t = f.addTrack();
        for (int n = 0; n < 8000; ++n)
            t.note(voice, 36 + 12 * voice + major[rng() % 7], 80, 120 * (1 + int(rng() % 4)));
    }
    return f;
}

} // namespace tunedeck::bench

#endif
