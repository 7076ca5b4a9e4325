#include "core/playback/playkeys.h"

#include "core/chords/keysandchords.h"
#include "core/fastdetect/meter.h"

#include <algorithm>
#include <cmath>

namespace tunedeck {

std::optional<PlayKeys> PlayKeys::of(const OpenFile &file, const FastOptions &options,
                                     const profile::AnalysisOptions &analysis, bool keyNetwork, bool musicBars)
{
    const std::optional<TrackRange> range = file.tracks(options.tracks);
    if (!range)
        return std::nullopt;
    PlayKeys keys;
    std::vector<NoteEvent> events;
    keys.whole_ = eventsUpToLimit(file, *range, options, events);
    const std::int64_t ticksPerBar =
        std::int64_t(file.ticksPerQuarter()) * Meters[std::size_t(meterIndex(options.meter))].beats;
    chords::ChordClock clock{file.ticksPerQuarter(), ticksPerBar, file.msPerTick()};
    const std::vector<chords::SpanNote> notes = chords::pairNotes(events); // for the bars and the chords
    if (musicBars)
        clock = chords::musicClock(notes, clock, statedQuarters(file.midi()));
    chords::KeysAndChords found = chords::analyseKeysAndChords(events, clock, analysis, keyNetwork, true, &notes);
    keys.analysis_ = std::move(found.keys);
    keys.chords_ = std::move(found.chords);
    if (options.adjust.transpose == 0 && file.spelling()) {
        keys.spelling_ = file.spelling();
        keys.names_ = SpelledNames(keys.spelling_.get(), &keys.analysis_);
        keys.names_.writeChords(keys.chords_);
    }
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
    shown.keyFifths = names_.keyFifthsAt(at.keyCode, tickAt(ms));
    return shown;
}

ShownChord PlayKeys::chordAt(std::int64_t ms, const ShownChord &heard) const
{
    const std::int64_t tick = tickAt(ms);
    if (!whole_ && profile::localKeyAt(analysis_, tick).beyond)
        return heard;
    const chords::ChordSegment *at = chords::chordAt(chords_, tick);
    return at ? ShownChord{at->chord, at->keyCode, at->written} : ShownChord{};
}

} // namespace tunedeck
