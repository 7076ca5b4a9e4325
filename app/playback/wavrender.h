// A file played offline through the built-in synthesizer into a WAV file, as fast as the
// machine allows: the same channel messages at the same times as playing sends them.
#ifndef TUNEDECK_WAVRENDER_H
#define TUNEDECK_WAVRENDER_H

#include "base/failure.h"
#include "playback/timedevents.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace tunedeck {

// The stereo frames written, or why not.
using RenderResult = Result<std::int64_t>;

// Called between blocks with the share done (0..1); false cancels (the file is then removed).
using RenderProgress = std::function<bool(double done)>;

// Renders the channel messages of events (in play order, see channelMessagesInPlayOrder)
// into a 16-bit stereo WAV at path, then tailMs more for the notes' release. soundFont
// empty: the General MIDI soundfont playing would use.
RenderResult renderToWav(const std::vector<TimedEvent> &events, const QString &soundFont, const QString &path,
                         int sampleRate = 44100, int tailMs = 2000, const RenderProgress &progress = {});

} // namespace tunedeck

#endif
