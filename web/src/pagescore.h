// The door by which a score comes into the page: its notes as the MIDI file every path of the
// page reads (analysis, play, seek), or why it is refused. Files are told apart by content, so
// a score named .mid is read as a score and a MIDI file named .xml as MIDI.
#ifndef TUNEDECK_WEB_PAGESCORE_H
#define TUNEDECK_WEB_PAGESCORE_H

#include "core/analysis/fileanalysis.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tunedeck::web {

// The names the page's file dialog offers besides MIDI files'.
inline constexpr std::array<std::string_view, 3> ScoreExtensions{".musicxml", ".mxl", ".xml"};

class PageBytes {
public:
    PageBytes(const std::string &bytes, bool unfoldRepeats);

    // The MIDI bytes: a score's, written by the core, or the file's own.
    std::string_view midi() const { return score_ ? std::string_view(converted_) : std::string_view(given_); }
    bool isScore() const { return score_; }
    // Set when a score cannot be read: the reader's words.
    const std::optional<OpenFailure> &refusal() const { return refusal_; }

private:
    std::string_view given_;
    std::string converted_;
    bool score_ = false;
    std::optional<OpenFailure> refusal_;
};

// A refused score as the analysis of a refused file.
FileAnalysis refusedScore(const OpenFailure &why);

} // namespace tunedeck::web

#endif
