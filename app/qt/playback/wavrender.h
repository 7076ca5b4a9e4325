// A file played offline through the built-in synthesizer into a WAV file, as fast as the
// machine allows: the same channel messages at the same times as playing sends them.
#ifndef TUNEDECK_QT_PLAYBACK_WAVRENDER_H
#define TUNEDECK_QT_PLAYBACK_WAVRENDER_H

#include "core/base/failure.h"
#include "core/playback/timedevents.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace tunedeck {

// The stereo frames written, or why not.
using RenderResult = Result<std::int64_t>;

// Longer plays are refused before anything is written: a stray very late event would
// otherwise fill the disk with hours of silence.
constexpr std::int64_t DefaultMaxRenderMs = 4LL * 3600 * 1000;

// Called between blocks with the share done (0..1); false cancels (the file is then removed).
using RenderProgress = std::function<bool(double done)>;

// Where a normalised render puts its loudest sample, in dB below full scale.
constexpr double NormalisedPeakDbfs = -1.0;

// Renders the channel messages of events (in play order, see channelMessagesInPlayOrder)
// into a 16-bit stereo WAV at path, then tailMs more for the notes' release. soundFont
// empty: the General MIDI soundfont playing would use. Refused up front when the audio
// would last longer than maxMs or not fit in the free space at path; on a failed write
// the partial file is removed and the reason names the system's cause. normalise: the
// loudest sample at NormalisedPeakDbfs, louder or softer, never clipped (the file is played
// twice, first to find its peak); otherwise the synthesizer's own level.
RenderResult renderToWav(const std::vector<TimedEvent> &events, const QString &soundFont, const QString &path,
                         int sampleRate = 44100, int tailMs = 2000, const RenderProgress &progress = {},
                         std::int64_t maxMs = DefaultMaxRenderMs, bool normalise = false);

// Why audio of lengthMs at sampleRate cannot be written to path, if so: too long for maxMs,
// or larger than the free space of path's file system.
Result<> renderFits(std::int64_t lengthMs, int sampleRate, const QString &path, std::int64_t maxMs);

} // namespace tunedeck

#endif
