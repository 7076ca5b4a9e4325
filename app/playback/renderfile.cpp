#include "playback/renderfile.h"

#include "playback/playlist.h"
#include "reports/resulttext.h"

namespace tunedeck {

RenderResult renderFile(const OpenFile &file, const TrackChoice &tracks, const QString &soundFont,
                        const QString &path, const RenderProgress &progress, std::int64_t maxMs)
{
    const std::optional<TrackRange> range = file.tracks(tracks);
    if (!range)
        return failure(text::TrackNotFound.toStdString());
    const PlayList list = buildPlayList(file.midi(), *range, tracks.all, file.msPerTick());
    return renderToWav(list.events, soundFont, path, 44100, 2000, progress, maxMs);
}

} // namespace tunedeck
