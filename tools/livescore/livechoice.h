// Choosing the tracker's parameters on the corpus: every setting of a grid played once over
// every file, then chosen on any part of the files by both measures.
#ifndef TUNEDECK_LIVESCORE_LIVECHOICE_H
#define TUNEDECK_LIVESCORE_LIVECHOICE_H

#include "livescore/livesummary.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tunedeck::livescore {

using FileFilter = std::function<bool(const LiveFile &)>;

// What the choice maximises: the mean of the note time shown the annotated key over five
// sets (the multi-region pop songs, all pop songs, chorales, songs, textbook examples, each
// alike) and of the annotated changes followed (multi-region pop songs and songs: the
// textbook examples' keys are too short to score), less 0.1 per unit of key changes shown
// above those allowed in a set.
double objective(const Summary &s);

class GridScores {
public:
    // Plays every file with every setting of the grid round base that follows a plain
    // modulation within 12 s, each file with the chord evidence given for it (the one fitted
    // without its fold).
    GridScores(const std::vector<LiveFile> &files, const profile::TrackerOptions &base,
               const std::vector<harmony::KeyChordTable> &chords);
    // The setting best on the files used, and its summary over them.
    const profile::TrackerOptions &choose(const FileFilter &use) const;
    Summary summary(const profile::TrackerOptions &setting, const FileFilter &use) const;
    std::size_t size() const { return grid_.size(); }

private:
    const std::vector<LiveFile> &files_;
    std::vector<profile::TrackerOptions> grid_;
    std::vector<std::vector<LiveScore>> scores_; // [setting][file]
};

void describe(const profile::TrackerOptions &o);

// Each file's chord evidence, fitted on the annotated corpus without the file's fold.
std::vector<harmony::KeyChordTable> chordsWithoutFold(const std::vector<LiveFile> &files,
                                                      const std::vector<keyscore::CorpusFile> &corpus,
                                                      const std::map<std::string, int> &foldOf, int folds);

} // namespace tunedeck::livescore

#endif
