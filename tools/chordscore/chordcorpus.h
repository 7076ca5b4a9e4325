// The annotated chords of the shared corpus: every set folder's chords.tsv beside the
// keyscore corpus' files (their note events, groups and genres).
#ifndef TUNEDECK_CHORDSCORE_CHORDCORPUS_H
#define TUNEDECK_CHORDSCORE_CHORDCORPUS_H

#include "chordscore/chordmeasures.h"

#include "keyscore/corpus.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tunedeck::chordscore {

struct ChordFile {
    keyscore::CorpusFile file;
    std::filesystem::path folder;    // the set's
    std::string set;                 // as reported: the folder's name, with its parent's where two share one
    std::vector<ChordRow> reference; // chords.tsv's rows of the file, in time order
    bool scored = true;              // false for files only fitted on
};

// The set folders among the paths: a folder holding chords.tsv and labels.tsv is one; any
// other, a root whose subfolders holding both are the sets.
std::vector<std::filesystem::path> chordSets(const std::vector<std::filesystem::path> &paths);

// Every file of the sets with annotated chords, in the sets' order; scored says whether they
// are scored or only fitted on. Files without rows or that cannot be read are left out with a
// line in warnings. Given score folders, each file's notes come from its score, as loadSet
// reads them.
std::vector<ChordFile> loadChordFiles(const std::vector<std::filesystem::path> &sets, bool scored,
                                      std::vector<std::string> &warnings, const keyscore::ScoreFolders &scores = {});

// Names the sets as reported: the folder's name, or parent/name where two sets share a name.
void nameSets(std::vector<ChordFile> &files);

} // namespace tunedeck::chordscore

#endif
