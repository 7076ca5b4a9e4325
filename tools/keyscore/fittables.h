// The tables tunedeck-keyscore fits into app/core/profile. The profile, the key changes and the
// chord evidence are fitted from the corpus alone; the calibration then analyses the corpus
// with those three in force as their headers write them (rounded), so one run gives what
// fitting, building and fitting again would.
#ifndef TUNEDECK_KEYSCORE_FITTABLES_H
#define TUNEDECK_KEYSCORE_FITTABLES_H

#include "keyscore/corpus.h"

#include "common/fittedheader.h"
#include "core/profile/keyprofiles.h"
#include "core/profile/windowchords.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tunedeck::keyscore {

// In the order they are fitted.
enum class Table { Profile, Changes, ChordEvidence, Calibration, LocalCalibration };
std::span<const Table> allTables();
const char *tableName(Table table); // "profile", "changes", "chord-evidence", "calibration", "local-calibration"
std::optional<Table> tableByName(std::string_view name);

struct TableFit {
    double changePrior = 20; // every relation counted this many times more
    double chordPrior = 1;   // every chord class counted this many times more
};

// The headers of the tables asked for, in the order of Table.
std::vector<tools::FittedHeader> fitTables(const std::vector<CorpusFile> &files, std::span<const Table> tables,
                                           const TableFit &fit = {});

// The profile and the chord evidence fitted on the corpus as fittedprofile.h and
// fittedchordevidence.h write them: what tunedeck-livescore fits its calibration with.
profile::ProfileWeights profileAsWritten(const std::vector<CorpusFile> &files);
harmony::KeyChordTable chordEvidenceAsWritten(const std::vector<CorpusFile> &files, const TableFit &fit = {});

} // namespace tunedeck::keyscore

#endif
