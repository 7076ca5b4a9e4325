// One file through tunedeck-detect: the detection, and everything printed of it in every
// format, as one answer that a worker process can hand back whole.
#ifndef TUNEDECK_QT_DETECT_DETECTFILE_H
#define TUNEDECK_QT_DETECT_DETECTFILE_H

#include "core/analysis/analysischoices.h"
#include "core/base/failure.h"
#include "core/batch/filewalk.h"
#include "core/batch/resultrow.h"
#include "qt/collection/fileresult.h"
#include "qt/collection/outputformats.h"
#include "core/keymap/keymapdata.h"
#include "core/reports/keytimingreport.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck {

class TonalyteEngine;

struct DetectSettings {
    AnalysisChoices choices; // the options of the table of choices (core/analysis/choicetable.h)
    collection::OutputFormat format = collection::OutputFormat::Text; // only what it prints is composed
    std::optional<std::string> keySignatureDir; // --write-key-signatures
    std::optional<std::string> chordMarkerDir;  // --write-chords: keySignatureDir's own text when it names that folder
    std::optional<std::string> scoreDir;        // --write-musicxml: scores with their analysis
    std::optional<std::string> romanTextDir;    // --write-rntxt
    bool chords = false;                        // --chords: the chart in the text, a CSV row a chord
    bool roman = false;                         // --roman: the chart's chords with their numerals
    bool profileLines = false;                  // the profile analysis in the text too
    bool keyMap = false;                        // --map: the answer carries the key map
    bool transposeFields = false;               // --transpose given: the JSON carries transposeLeftOut
};

// What is printed of one file.
struct FileAnswer {
    // The bytes on stdout in the run's format: the text block with its blank line, the CSV
    // row, the JSON Lines line, or the item of the JSON array (JsonArrayWriter::item).
    std::string printed;
    QString error;           // the line for stderr, empty when the file went through
    bool failed = false;     // refused or its run failed: exit status 1
    batch::FileResult row; // for the summaries and the counts
    std::optional<KeyMapData> map;
    // The copies' bytes, one for each of copyFolders(settings), or why one could not be made;
    // none for a file whose run failed. The command writes them, never a worker, so that a
    // worker that dies leaves nothing half written and no copy of a file reported failed.
    std::vector<Result<std::string>> copies;
};

// A folder the run writes copies into, and what its copies carry: a folder named by both
// options gets one copy with both. The RomanText of a file is a file of its own beside them.
struct CopyFolder {
    std::string dir;
    bool keySignatures = false;
    bool chordMarkers = false;
    bool score = false; // the score with its analysis, as <name>.musicxml; alone in its folder
    bool romanText = false; // the file's name with .rntxt in place of its extension

    QString what() const; // "key signatures", "chord markers", both, "annotated score" or "RomanText"
};
std::vector<CopyFolder> copyFolders(const DetectSettings &settings);

FileAnswer answerFile(TonalyteEngine &library, const batch::FileEntry &entry, const DetectSettings &settings);

// Printed text as bytes: UTF-8 where names keep their own bytes; the local code page on Windows.
std::string textBytes(const QString &text);

// A file whose worker crashed or ran out of time.
FileAnswer failedAnswer(const std::string &path, const std::string &why, const DetectSettings &settings);

// A worker's answer as one payload, and back; nothing for a payload that is not one. The
// worker formats, so that the command only writes what it is handed.
std::string encodeAnswer(const FileAnswer &answer);
std::optional<FileAnswer> decodeAnswer(std::string_view payload);

} // namespace tunedeck

#endif
