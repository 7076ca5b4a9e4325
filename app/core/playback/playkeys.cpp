#include "core/playback/playkeys.h"

#include "core/keymodel/keymodelanalysis.h"

#include "core/fastdetect/meter.h"
#include "core/midi/trackwalk.h"

#include <algorithm>
#include <cmath>

namespace tunedeck {

namespace {

// The played notes as the fast run takes them (the chosen tracks, muted channels left out,
// transposed), the first MaxNoteEvents of them in time, cut where an instant begins. False
// when that left some out: the analysis then covers the play up to its last event only.
bool playedEvents(const OpenFile &file, const TrackRange &range, const FastOptions &options,
                  std::vector<NoteEvent> &events)
{
    walkTracks(file.midi(), range.first, range.last, [&](std::int32_t tick, std::int32_t track, const MidiEvent &ev) {
        if (analysedNote(ev.status, options.tracks.all))
            events.push_back(makeNoteEvent(tick, ev.status, ev.data1, ev.data2, track));
        return true;
    });
    prepareRunEvents(events, options);
    if (events.size() <= std::size_t(MaxNoteEvents))
        return true;
    std::stable_sort(events.begin(), events.end(), [](const NoteEvent &a, const NoteEvent &b) { return a.tick < b.tick; });
    const std::int32_t cut = events[std::size_t(MaxNoteEvents)].tick;
    std::erase_if(events, [cut](const NoteEvent &e) { return e.tick >= cut; });
    return false;
}

} // namespace

std::optional<PlayKeys> PlayKeys::of(const OpenFile &file, const FastOptions &options,
                                     const profile::AnalysisOptions &analysis, bool keyNetwork)
{
    const std::optional<TrackRange> range = file.tracks(options.tracks);
    if (!range)
        return std::nullopt;
    PlayKeys keys;
    std::vector<NoteEvent> events;
    keys.whole_ = playedEvents(file, *range, options, events);
    const std::int64_t ticksPerBar =
        std::int64_t(file.ticksPerQuarter()) * Meters[std::size_t(meterIndex(options.meter))].beats;
    keys.analysis_ = profile::analyseProfile(events, file.ticksPerQuarter(), ticksPerBar, analysis);
    const chords::ChordClock clock{file.ticksPerQuarter(), ticksPerBar, file.msPerTick()};
    keys.chords_ = keyNetwork ? keymodel::applyKeyModel(events, clock, keys.analysis_)
                              : chords::analyseChords(events, clock, keys.analysis_);
    keys.msPerTick_ = file.msPerTick() > 0 ? double(file.msPerTick()) : 1.0;
    if (options.adjust.tempoPercent != 100 && options.adjust.tempoPercent > 0)
        keys.msPerTick_ = keys.msPerTick_ * 100.0 / options.adjust.tempoPercent; // a tick at the play's tempo
    return keys;
}

std::int64_t PlayKeys::tickAt(std::int64_t ms) const
{
    return std::llround(double(ms) / msPerTick_);
}

ShownKey PlayKeys::at(std::int64_t ms, const profile::ProfileReading &tracker) const
{
    const profile::LocalKeyAt at = profile::localKeyAt(analysis_, tickAt(ms));
    if (!whole_ && at.beyond)
        return {tracker, 0, true};
    ShownKey shown;
    shown.reading = {at.keyCode, at.confidence, at.confidence >= unsureBelow_};
    shown.fromBar = isKeyCode(at.keyCode) ? at.startBar : 0;
    return shown;
}

ShownChord PlayKeys::chordAt(std::int64_t ms, const ShownChord &heard) const
{
    const std::int64_t tick = tickAt(ms);
    if (!whole_ && profile::localKeyAt(analysis_, tick).beyond)
        return heard;
    const chords::ChordSegment *at = chords::chordAt(chords_, tick);
    return at ? ShownChord{at->chord, at->keyCode} : ShownChord{};
}

} // namespace tunedeck
