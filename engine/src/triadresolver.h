// Settles major against relative minor by how prominent each tonic triad is.
#ifndef TONALYTE_TRIADRESOLVER_H
#define TONALYTE_TRIADRESOLVER_H

#include <cstdint>

namespace tonalyte {

struct TriadResolution {
    bool major;
    int row;         // the chosen major-scale row, c1 or c2
    int32_t detail1; // rank sum of the major triad (21 for the losing side of two rows)
    int32_t detail2; // rank sum of the minor triad
};

// c1 is a major-scale row 0..11; c2 another one, or -1 for none.
// Every pitch-class duration must be 0 or more, so that each ranking pass picks a slot.
TriadResolution resolveTriads(int c1, int c2, const int32_t pcDur[12]);

// The key code that a resolution names.
int32_t resolvedKeyCode(const TriadResolution &r);

} // namespace tonalyte

#endif
