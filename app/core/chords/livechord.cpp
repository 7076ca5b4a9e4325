#include "core/chords/livechord.h"

#include "core/chords/chordframes.h"
#include "core/chords/chordmodel.h"

#include <algorithm>

namespace tunedeck::chords {

void LiveChord::clear()
{
    heard_.clear();
    lastMs_ = 0;
}

void LiveChord::note(std::int64_t ms, const NoteEvent &event)
{
    if (event.channel == 9)
        return;
    ms = std::max(ms, lastMs_);
    lastMs_ = ms;
    // Notes that ended over a second ago can no longer count.
    std::erase_if(heard_, [&](const Heard &h) { return h.endMs >= 0 && h.endMs < ms - SpanMs; });
    if (event.on) {
        heard_.push_back({event.channel, event.note, ms, -1});
        return;
    }
    for (Heard &h : heard_)
        if (h.endMs < 0 && h.channel == event.channel && h.pitch == event.note) {
            h.endMs = ms;
            break;
        }
}

harmony::Chord LiveChord::chordAt(std::int64_t ms) const
{
    std::vector<SpanNote> notes;
    notes.reserve(heard_.size());
    for (const Heard &h : heard_) {
        const std::int64_t end = h.endMs < 0 ? ms : h.endMs;
        if (end > ms - SpanMs && h.startMs < ms)
            notes.push_back({h.startMs, end, h.pitch});
    }
    std::sort(notes.begin(), notes.end(), [](const SpanNote &a, const SpanNote &b) { return a.start < b.start; });
    const std::vector<FrameFeatures> frame = frameFeatures(notes, ms - SpanMs, SpanMs, 1);
    const FrameInput input = frameInputs(frame, double(SpanMs)).front();
    if (input.silent)
        return {};
    static const ChordScorer scorer(fittedChordWeights());
    ClassScores scores;
    scorer.scores(input, scores);
    harmony::Chord chord = harmony::chordOfClass(int(std::max_element(scores.begin(), scores.end()) - scores.begin()));
    // The bass as the chord analysis takes it: the lowest note for most of the second.
    if (!chord.none()) {
        const auto &bass = frame.front().bass;
        const int lowest = int(std::max_element(bass.begin(), bass.end()) - bass.begin());
        const int interval = (lowest - chord.root + 12) % 12;
        const auto tones = harmony::intervals(chord.quality);
        if (std::find(tones.begin() + 1, tones.end(), interval) != tones.end())
            chord.bass = interval;
    }
    return chord;
}

} // namespace tunedeck::chords
