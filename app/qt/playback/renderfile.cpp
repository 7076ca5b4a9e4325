#include "qt/playback/renderfile.h"

#include "core/playback/playlist.h"
#include "core/reports/resulttext.h"

namespace tunedeck {

namespace {
constexpr int SampleRate = 44100;
constexpr int TailMs = 2000;
} // namespace

RenderResult renderFile(const OpenFile &file, const TrackChoice &tracks, const QString &soundFont,
                        const QString &path, const RenderProgress &progress, std::int64_t maxMs,
                        const PlayAdjust &adjust, const ChannelMask &channels, bool normalise)
{
    const std::optional<TrackRange> range = file.tracks(tracks);
    if (!range)
        return failure(text::TrackNotFound);
    const PlayList list = buildPlayList(file.midi(), *range, tracks.all, file.msPerTick(), adjust, channels);
    return renderToWav(list.events, soundFont, path, SampleRate, TailMs, progress, maxMs, normalise);
}

std::int64_t renderLengthMs(const OpenFile &file, const TrackChoice &tracks, const PlayAdjust &adjust,
                            const ChannelMask &channels)
{
    const std::optional<TrackRange> range = file.tracks(tracks);
    if (!range)
        return 0;
    const std::vector<TimedEvent> messages = channelMessagesInPlayOrder(
        buildPlayList(file.midi(), *range, tracks.all, file.msPerTick(), adjust, channels).events);
    return (messages.empty() ? 0 : messages.back().ms) + TailMs;
}

int renderLeftOut(const OpenFile &file, const TrackChoice &tracks, const PlayAdjust &adjust)
{
    const std::optional<TrackRange> range = file.tracks(tracks);
    if (!range || adjust.transpose == 0)
        return 0;
    return buildPlayList(file.midi(), *range, tracks.all, file.msPerTick(), adjust).leftOut;
}

} // namespace tunedeck
