// The shared corpus as the scoring tool reads it: every set's labels.tsv, the pop songs'
// annotated key regions, and each file's note events.
#ifndef TUNEDECK_KEYSCORE_CORPUS_H
#define TUNEDECK_KEYSCORE_CORPUS_H

#include "fastdetect/noteevents.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tunedeck::keyscore {

struct Span {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

struct Region {
    Span span;
    int keyCode = 0;
};

struct CorpusFile {
    std::string set; // the folder: "bach", "pop909"
    std::string name;
    int keyCode = 0;
    int regionCount = 1;         // labels.tsv's nregions
    std::string genre;           // labels.tsv's genre, when it has that column
    std::vector<Region> regions; // from regions.tsv, when the set has one
    int ticksPerQuarter = 480;
    std::vector<NoteEvent> events; // all tracks after the tempo track, in feed order
    std::vector<Span> sounding;    // when at least one note sounds, in order
};

// Every file listed in a labels.tsv of a subfolder. Files that cannot be read are left out
// with a line in warnings; an empty result means no corpus there.
std::vector<CorpusFile> loadCorpus(const std::filesystem::path &folder, std::vector<std::string> &warnings);

} // namespace tunedeck::keyscore

#endif
