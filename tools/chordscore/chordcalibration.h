// The calibration of the chord analysis' confidences, fitted on annotated files.
#ifndef TUNEDECK_CHORDSCORE_CHORDCALIBRATION_H
#define TUNEDECK_CHORDSCORE_CHORDCALIBRATION_H

#include "chordscore/chordcorpus.h"

#include "core/chords/chordanalysis.h"

#include <vector>

namespace tunedeck::chordscore {

// Decimals the calibration is fitted to, as the model's header writes it.
constexpr int CalibrationDecimals = 6;

// The calibration of the segments' confidences (chords::ChordCalibrations), fitted to how much
// of each segment's annotated time its chord is the annotated one (root, tones and bass),
// weighted by that time: one for all textures, then each texture's drawn toward it.
chords::ChordCalibrations fitChordCalibration(const std::vector<const ChordFile *> &files,
                                              const chords::ChordOptions &options);

} // namespace tunedeck::chordscore

#endif
