// Telling a score by its bytes, and the MusicXML text inside it: the bytes themselves, or the
// root file a compressed score's container names.
#ifndef TUNEDECK_CORE_SCORE_SCOREFILE_H
#define TUNEDECK_CORE_SCORE_SCOREFILE_H

#include <cstddef>
#include <string>
#include <string_view>

namespace tunedeck::score {

// Bounds on what a score may make us hold: no real score comes near them.
inline constexpr std::size_t MaxScoreBytes = std::size_t(64) << 20; // text of one score
inline constexpr std::size_t MaxZipEntries = 4096;

// MusicXML text (its first element score-partwise or score-timewise), or a zip archive with
// a META-INF/container.xml. Reads only the start of text and the archive's directory.
bool looksLikeScore(std::string_view bytes);
bool looksLikeCompressedScore(std::string_view bytes);

// The score's MusicXML text; throws ScoreError saying why there is none.
std::string scoreText(std::string_view bytes);

} // namespace tunedeck::score

#endif
