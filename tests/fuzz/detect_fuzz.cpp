// Arbitrary bytes through the whole headless detection: the first two bytes choose the
// options (the second's top bit reads format 0 files by channel), the rest is the file.
// Opening, gathering, ordering, the feed through the engine (linked in, built with the same
// sanitizers), both reports, the profile analysis, every text and the JSON tunedeck-detect
// prints of them, the chords' chart, CSV rows and marker copy, and the play list real-time
// play would compose. None of the outputs may grow with the ticks a file spans, only with
// what it holds: scripts/fuzz.sh caps the memory.
#include "core/analysis/analysisjson.h"
#include "core/analysis/chordoutput.h"
#include "core/base/keycodes.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "core/playback/playlist.h"
#include "core/profile/profiletracker.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <numeric>

using namespace tunedeck;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkRun(const FastDetection &run, const FastOptions &options)
{
    for (std::size_t i = 1; i < run.events.size(); ++i)
        check(run.events[i - 1].tick <= run.events[i].tick);
    check(run.events.size() <= std::size_t(MaxNoteEvents));
    for (const NoteEvent &e : run.events)
        check(e.note <= 127 && e.velocity <= 127 && (e.on == (e.velocity > 0)) && e.channel != LastChannel
              && !(options.tracks.all && e.channel == DrumChannel));
    const OverallKeyReport &overall = run.reports.overall;
    for (std::size_t i = 0; i < overall.ranked.size(); ++i) {
        check(isKeyCode(overall.ranked[i].code));
        check(overall.ranked[i].percent > 0 && overall.ranked[i].percent <= 100);
        if (i > 0)
            check(overall.ranked[i - 1].percent >= overall.ranked[i].percent);
    }
    const KeyTimingReport &timing = run.reports.timing;
    check(timing.points.empty() == overall.ranked.empty() || run.outcome != FastOutcome::Reported);
    for (const TimelinePoint &p : timing.points)
        check(isKeyCode(p.code) && p.at >= 0 && p.at < 10000);
    if (run.outcome == FastOutcome::Reported)
        check(run.feed.handled == int(run.events.size()));
}

// The chords as tunedeck-detect writes them, each bounded by the chords found: the chart
// a line for a chord's first bar, one for the bars it fills alone and one for its last; the
// CSV a row a chord; the copy a marker a chord beside the file's own bytes, and readable.
void checkChordOutputs(const FileAnalysis &r, std::string_view bytes, bool splitFormat0)
{
    const std::size_t count = r.chords.size();
    check(chordChart(r.chords, r.bars).size() <= 3 * count);
    check(!chordChartText(r.chords, r.bars).empty());
    const std::string rows = chordCsvRows("f.mid", r.chords);
    check(std::size_t(std::count(rows.begin(), rows.end(), '\n')) == count);
    const Result<std::string> copy = editedMidi(bytes, chordMarkerEdit(r.chords));
    if (!copy)
        return;
    // A marker: its delta, FF 06, a length and a short symbol; an event of the track it joins
    // may need a longer delta and its status again.
    check(copy->size() <= 3 * bytes.size() + 32 * count + 64);
    OpenFile reread;
    reread.setSplitFormat0(splitFormat0);
    check(bool(reread.openBytes(*copy)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static LinkedTonalyte engine;
    if (size < 2)
        return 0;
    AnalysisChoices choices;
    FastOptions &options = choices.fast;
    options.tracks.all = (data[0] & 1) == 0;
    options.tracks.position = ((data[0] >> 1) & 15) - 1; // none, "Track 01" .. past "Track 12"
    options.moreSensitive = data[0] & 0x20;
    options.meter = (data[0] >> 6) & 3;
    options.keys = KeyCountChoice(data[1] % 5);
    choices.splitFormat0 = (data[1] & 0x80) != 0;

    const std::string_view bytes(reinterpret_cast<const char *>(data) + 2, size - 2);
    const FileAnalysis r = analyseBytes(engine, bytes, choices);
    if (r.refusal) {
        check(r.refusal->kind != OpenError::None && !r.refusal->reason.empty());
    } else {
        checkRun(r.run, options);
        if (r.profile) {
            // Calibrated confidences, best first; those under 1 % are left out, so at most 1 in all.
            double sum = 0, shares = 0;
            for (std::size_t i = 0; i < r.profile->candidates.size(); ++i) {
                const double c = r.profile->candidates[i].confidence;
                check(c > 0 && c <= 1 && (i == 0 || c <= r.profile->candidates[i - 1].confidence));
                sum += c;
            }
            for (double s : r.profile->keyShares)
                shares += s;
            check(sum <= 1 + 1e-9);
            check(r.profile->candidates.empty() || std::abs(shares - 1.0) < 1e-6);
        }
        checkChordOutputs(r, bytes, choices.splitFormat0);
        OpenFile file;
        file.setSplitFormat0(choices.splitFormat0);
        check(bool(file.openBytes(bytes)));
        if (const auto range = file.tracks(options.tracks)) {
            const PlayList list = buildPlayList(file.midi(), *range, options.tracks.all, file.msPerTick());
            // The live key as the play would show it, read before each note it hears.
            profile::ProfileTracker live;
            for (const TimedEvent &e : list.events) {
                check(e.ms >= 0 && e.tag >= 0 && std::size_t(e.tag) <= list.notes.size());
                if (e.tag == 0)
                    continue;
                const profile::ProfileReading k = live.readingAt(e.ms);
                check((k.keyCode == NoKey || isKeyCode(k.keyCode)) && k.confidence >= 0 && k.confidence <= 1);
                live.note(e.ms, list.notes[std::size_t(e.tag - 1)]);
            }
        }
    }
    const LabelTexts texts = labelTexts(r);
    check(!formatText(r, texts, true).empty());
    check(!analysisJson(r, texts).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).empty());
    return 0;
}
