// The chord analysis' model fitted: the weights of chords::ChordWeights by maximum likelihood
// (softmax regression over the chord classes, L2-penalised) on the frames of annotated files,
// each frame labelled with the annotated chord holding most of it, named in the model's
// vocabulary; then the key prior and the calibration.
#ifndef TUNEDECK_CHORDSCORE_CHORDMODELFIT_H
#define TUNEDECK_CHORDSCORE_CHORDMODELFIT_H

#include "chordscore/chordcorpus.h"

#include "core/chords/chordanalysis.h"
#include "core/chords/chordmodel.h"

#include <optional>
#include <vector>

namespace tunedeck::chordscore {

// The chord class of the vocabulary nearest an annotated label: its root, and the quality
// sharing the most tones with it (over the tones either has); no chord for "N". Nothing for
// "X" and a label that cannot be read.
std::optional<int> vocabularyClass(std::string_view label);

struct FitSettings {
    double l2 = 1e-4;    // times the squared weights
    int iterations = 150;
    // Every file weighs the same, and the pop songs as much as the classical pieces together,
    // so that neither kind of music decides the vocabulary's priors alone.
    bool balanceKinds = true;
};

struct TrainingFrames {
    std::vector<chords::FrameInput> inputs;
    std::vector<int> labels;
    std::vector<double> weights; // the annotated time of the frame, scaled as FitSettings says
};

TrainingFrames trainingFrames(const std::vector<const ChordFile *> &files, const chords::ChordOptions &options,
                              const FitSettings &settings = {});

chords::ChordWeights fitWeights(const TrainingFrames &frames, const FitSettings &settings = {});

// The weights as their header writes them, so what is measured with them is what is built.
chords::ChordWeights asWritten(const chords::ChordWeights &weights);


// The key prior: how often each chord class falls on each degree of the annotated local key
// (wir's rows name it, a pop song's regions hold it), files weighing the same, plus one for
// every class, against its quality's share; each entry as the header writes it.
harmony::KeyChordTable fitKeyPrior(const std::vector<const ChordFile *> &files);

// Weights, key prior and calibration (chordcalibration.h), fitted in that order on the files, in options' other
// settings.
struct FittedModel {
    chords::ChordWeights weights;
    harmony::KeyChordTable keyPrior{};
    chords::ChordCalibrations calibration;
};
FittedModel fitModel(const std::vector<const ChordFile *> &files, const chords::ChordOptions &options,
                     const FitSettings &settings = {});

// The header app/core/chords/fittedchordmodel.h holding a fitted model.
std::string modelHeader(const FittedModel &model, const std::string &fittedOn);

} // namespace tunedeck::chordscore

#endif
