// One fast run of a file, as "2- Fast Detect" makes it, for every front end: the window's
// runner, tunedeck-detect, the Python module and the page. It takes the file and the run's
// choices and returns everything the run found, typed; the texts are made from it at the edge.
#ifndef TUNEDECK_CORE_ANALYSIS_FILEANALYSIS_H
#define TUNEDECK_CORE_ANALYSIS_FILEANALYSIS_H

#include "core/analysis/analysischoices.h"
#include "core/chords/chordanalysis.h"
#include "core/chords/spellednames.h"
#include "core/fastdetect/fastdetection.h"
#include "core/fastdetect/openfile.h"
#include "core/profile/profileanalysis.h"
#include "core/reports/keytimingreport.h"
#include "core/reports/overallkeyreport.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tunedeck {

class TonalyteEngine;

// The choices the reports are made with. The window reads them when the run ends, as it reads
// the key count when it shows the results.
struct ReportChoices {
    bool moreSensitive = false;
    bool allTracks = true;
    KeyCountChoice keys = KeyCountChoice::Two;
};

// What the file is, once it was read.
struct FileFacts {
    std::int32_t trackCount = 0;
    std::int16_t ticksPerQuarter = 0;
    float msPerTick = 0.0f;
    bool splitFormat0 = false;      // a format 0 file read one track per channel
    bool format0 = false;           // a format 0 file, split or refused
};

struct FileAnalysis {
    // Set when the file was refused; run.outcome is FileRefused then.
    std::optional<OpenFailure> refusal;
    FileFacts file;
    // The library's run: outcome, the note events in feed order, the notes left out, the
    // feed's end, the key code, and both reports once reported.
    FastDetection run;
    // The library's own answers the reports were made from, so that another key count can be
    // shown without a new run (reportsWith).
    KeyStatistics statistics;
    KeyTimeline timeline;
    bool answered = false; // statistics and timeline were read: the run reported or was cancelled
    ReportChoices reported;
    // Whenever the note events were gathered and the profile analysis was asked for: also for
    // a file without notes, a library error and a cancelled run. Past the event buffer, of the
    // notes up to the limit, as a play shows them.
    std::optional<profile::ProfileAnalysis> profile;
    // The chords per beat, found with the profile analysis in its local keys; empty without it.
    std::vector<chords::ChordSegment> chords;
    // A score's spelling, which its key and chord names follow; null for a MIDI file and
    // for a transposed run, whose notes no longer sound as written.
    std::shared_ptr<const ScoreSpelling> spelling;
    // With AnalysisChoices::withScorePlaces, a score's text and where its notes stand; else null.
    std::shared_ptr<const score::PlacedScore> placed;
    // A score's measures as printed, meters, title and composer (a written analysis numbers
    // its measures so); null for a MIDI file.
    std::shared_ptr<const score::ScoreLayout> layout;
    // The bars the chords and local keys are numbered in (AnalysisChoices::bars).
    chords::ChordClock bars;
    // Past the event buffer: the last bar the profile analysis and the chords reach; else 0.
    std::int64_t limitBar = 0;
};

// Where a window follows the run (the feed's progress, Stop), and when it reads the choices
// the reports are made with (by default the run's own).
struct AnalysisHooks {
    FastRunHooks run;
    std::function<ReportChoices()> reportChoices;
};

// The file's bytes, read as "2- Fast Detect" reads the file.
FileAnalysis analyseBytes(TonalyteEngine &engine, std::string_view bytes, const AnalysisChoices &choices,
                          const AnalysisHooks &hooks = {});
// A file by its path: a file that cannot be opened is refused with the system's words. With
// `bytesRead`, the bytes the reader read are left there (empty when it read none).
FileAnalysis analysePath(TonalyteEngine &engine, const std::string &path, const AnalysisChoices &choices,
                         const AnalysisHooks &hooks = {}, std::string *bytesRead = nullptr);
// A file already opened (the window's runner keeps its file for the play).
FileAnalysis analyseFile(TonalyteEngine &engine, const OpenFile &file, const AnalysisChoices &choices,
                         const AnalysisHooks &hooks = {});

// The names of the run's keys: the score's spellings for a score, else the program's own.
SpelledNames spelledNames(const FileAnalysis &analysis);

// Both reports again with another key count, from the answers the run read.
KeyReports reportsWith(const FileAnalysis &analysis, KeyCountChoice keys, BarLimit limit = BarLimit::Window);

// True when the file was read and the run ended in its reports (or with "No Data").
bool succeeded(const FileAnalysis &analysis);

} // namespace tunedeck

#endif
