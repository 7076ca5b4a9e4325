// Written by `cmake --build build --target fit-tables` (tunedeck-keyscore --fit-tables)
// from the annotated local keys of the shared corpus (445 files, 1183 key changes:
// pop909/regions.tsv, wir/localkeys.tsv): where each key change goes, by interval up from
// the key left and whether the mode changes (profile::ChangeWeights), counted plus 20 for
// every relation (so rare ones keep some weight) and scaled to sum 1 per mode.
// Cross-validated in docs/PROFILE-ANALYSIS.md.
#ifndef TUNEDECK_CORE_PROFILE_FITTEDCHANGES_H
#define TUNEDECK_CORE_PROFILE_FITTEDCHANGES_H

#include <array>

namespace tunedeck::profile {

// Same mode 0..11 semitones up, then the other mode 0..11 up.
inline constexpr std::array<double, 24> FittedChangesFromMajor = {0.0000, 0.0283, 0.0292, 0.0371, 0.0398, 0.0928, 0.0362, 0.0822, 0.0389, 0.0398, 0.0345, 0.0318, 0.0336, 0.0194, 0.0707, 0.0186, 0.0610, 0.0424, 0.0274, 0.0353, 0.0177, 0.1175, 0.0283, 0.0380};
inline constexpr std::array<double, 24> FittedChangesFromMinor = {0.0000, 0.0278, 0.0340, 0.0299, 0.0227, 0.0639, 0.0391, 0.0587, 0.0257, 0.0360, 0.0371, 0.0227, 0.0474, 0.0350, 0.0288, 0.1298, 0.0216, 0.0360, 0.0494, 0.0278, 0.0814, 0.0216, 0.0927, 0.0309};

} // namespace tunedeck::profile

#endif
