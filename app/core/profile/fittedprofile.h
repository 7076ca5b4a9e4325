// Written by `cmake --build build --target fit-tables` (tunedeck-keyscore --fit-tables)
// from the shared corpus (60 bach, 100 pop909 files): each file's pitch-class durations
// (every sounding note, all tracks after the tempo track, drums left out) summed over the
// file and scaled to sum 1, rotated so the labelled tonic comes first, then averaged over
// the files of each mode. Cross-validated scores (each file analysed with a fit made
// without it) are in docs/PROFILE-ANALYSIS.md.
#ifndef TUNEDECK_CORE_PROFILE_FITTEDPROFILE_H
#define TUNEDECK_CORE_PROFILE_FITTEDPROFILE_H

#include <array>

namespace tunedeck::profile {

inline constexpr std::array<double, 12> FittedMajor = {0.20745, 0.00644, 0.13061, 0.00438, 0.14042, 0.08702, 0.01020, 0.20342, 0.00876, 0.11587, 0.00780, 0.07763};
inline constexpr std::array<double, 12> FittedMinor = {0.21367, 0.00363, 0.09198, 0.13904, 0.01493, 0.11582, 0.00607, 0.19590, 0.06938, 0.01099, 0.11074, 0.02783};

} // namespace tunedeck::profile

#endif
