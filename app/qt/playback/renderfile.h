// A chosen file rendered to WAV as "1- Real Time Play" would play it: the events of the
// chosen tracks at the play list's times, of which the synthesizer gets the channel messages.
#ifndef TUNEDECK_QT_PLAYBACK_RENDERFILE_H
#define TUNEDECK_QT_PLAYBACK_RENDERFILE_H

#include "core/base/playadjust.h"
#include "core/fastdetect/openfile.h"
#include "qt/playback/wavrender.h"

namespace tunedeck {

// Fails with "Track not found" when the chosen track is not in the file. soundFont
// empty: the General MIDI soundfont playing would use. Played at the adjust's tempo and
// transposition, without the notes of the channels muted; normalised or not (renderToWav).
RenderResult renderFile(const OpenFile &file, const TrackChoice &tracks, const QString &soundFont,
                        const QString &path, const RenderProgress &progress = {},
                        std::int64_t maxMs = DefaultMaxRenderMs, const PlayAdjust &adjust = {},
                        const ChannelMask &channels = {}, bool normalise = false);

// How long the render of the chosen tracks would last, the notes' release included; 0 when
// the chosen track is not in the file.
std::int64_t renderLengthMs(const OpenFile &file, const TrackChoice &tracks, const PlayAdjust &adjust = {},
                            const ChannelMask &channels = {});

// The note-ons the render leaves out, pushed out of 1..127 by the transposition.
int renderLeftOut(const OpenFile &file, const TrackChoice &tracks, const PlayAdjust &adjust);

} // namespace tunedeck

#endif
