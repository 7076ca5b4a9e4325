// Whether a key shown second by second follows the annotated key changes: a change is
// followed when its new key is shown at two readings in a row within 12 s of it (a key shown
// early counts if it holds into the new region); only changes into a region of at least
// 12 s are scored. A file showing more key changes than three per annotated change plus one
// a minute follows none: flicker earns nothing.
#ifndef TUNEDECK_KEYSCORE_FOLLOWING_H
#define TUNEDECK_KEYSCORE_FOLLOWING_H

#include "keyscore/corpus.h"

#include <cstdint>
#include <vector>

namespace tunedeck::keyscore {

constexpr double FollowSeconds = 12;

struct Following {
    int scored = 0;     // annotated changes into a region of at least FollowSeconds
    int followed = 0;   // of them, followed (0 when the file shows more changes than allowed)
    int followedUncapped = 0; // followed, whatever the changes shown (for comparison only)
    int shown = 0;      // changes of the key shown
    int annotated = 0;  // every annotated change
    double minutes = 0;

    double allowed() const { return 3.0 * annotated + minutes; }
    bool withinCap() const { return shown <= allowed(); }
    Following &operator+=(const Following &o);
};

// shown[s]: the key shown from second s to s + 1 (NoKey for none); secondTicks[s]: the file's
// tick at second s of the play, with one more after the last reading. minutes: the play's length.
Following following(const std::vector<Region> &regions, const std::vector<int> &shown,
                    const std::vector<std::int64_t> &secondTicks, double minutes);

} // namespace tunedeck::keyscore

#endif
