// The shared corpus as a listener hears it: each file's notes in milliseconds of its play,
// its annotated key regions, and the scoring of a live key, second by second, against them.
#ifndef TUNEDECK_LIVESCORE_LIVECORPUS_H
#define TUNEDECK_LIVESCORE_LIVECORPUS_H

#include "core/profile/profileanalysis.h"
#include "core/profile/profiletracker.h"
#include "keyscore/corpus.h"
#include "keyscore/following.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tunedeck::livescore {

enum class Set { Pop, Chorales, Songs, Textbooks };
constexpr std::array<const char *, 4> SetNames{"pop909", "bach", "wir songs", "wir textbooks"};

struct LiveFile {
    Set set = Set::Pop;
    std::string name;
    std::string group;   // cross-validation keeps a group together: a piece, or a composer
    bool multiRegion = false;
    std::vector<std::pair<std::int64_t, NoteEvent>> notes; // ms of the play, in feed order
    std::vector<std::int64_t> secondTicks; // the tick at each second of the play, one past the end
    std::vector<keyscore::Region> regions; // the annotated keys; one region when the file has one key
    std::vector<keyscore::Span> sounding;
    double minutes = 0;
    int ticksPerQuarter = 480;
};

std::vector<LiveFile> loadLiveCorpus(const std::filesystem::path &folder, std::vector<std::string> &warnings);
// The same from the corpus already read from folder.
std::vector<LiveFile> liveCorpus(const std::vector<keyscore::CorpusFile> &corpus, const std::filesystem::path &folder,
                                 std::vector<std::string> &warnings);

constexpr int CalibrationBins = 10;

struct LiveScore {
    double right = 0;   // sounding ticks shown the annotated key
    double total = 0;   // sounding ticks inside the annotated regions
    keyscore::Following follow; // the annotated changes followed, the key changes shown
    std::array<std::array<double, 3>, CalibrationBins> bins{}; // by confidence: right, total, confidence × total
    double sureRight = 0, sureTotal = 0;

    double accuracy() const { return total > 0 ? right / total : 0; }
};

// The keys shown at every second of the file's play, read as the window reads them, and
// when asked what their confidences were calibrated from.
std::vector<profile::ProfileReading> readEverySecond(const LiveFile &file,
                                                         const profile::TrackerOptions &options,
                                                         std::vector<profile::LiveConfidenceFeatures> *features = nullptr);

// What a play shows now: the local key of the whole-file analysis (of the file's notes, with
// options) at the tick of every second, with its window's confidence.
std::vector<profile::ProfileReading> localEverySecond(const LiveFile &file, const profile::AnalysisOptions &options);
std::vector<profile::ProfileReading> localEverySecond(const LiveFile &file, const profile::ProfileAnalysis &analysis);

// Each second's sounding ticks inside the annotated regions, and those of them shown the
// annotated key.
struct SecondScore {
    double total = 0;
    double right = 0;
};
std::vector<SecondScore> scoreSeconds(const LiveFile &file, const std::vector<profile::ProfileReading> &shown,
                                      const std::vector<std::int64_t> &secondTicks);

// Cross-validation folds of the groups, dealt in turn within each set so that every fold
// holds some of every set.
std::map<std::string, int> dealFolds(const std::vector<LiveFile> &files, int folds);

// Keys shown from second s to s + 1, between secondTicks[s] and [s + 1], against the annotation.
LiveScore scoreReadings(const LiveFile &file, const std::vector<profile::ProfileReading> &shown,
                        const std::vector<std::int64_t> &secondTicks);

// The file played through the tracker.
LiveScore scoreFile(const LiveFile &file, const profile::TrackerOptions &options);

} // namespace tunedeck::livescore

#endif
