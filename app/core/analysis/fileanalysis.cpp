#include "core/analysis/fileanalysis.h"

#include "core/chords/keysandchords.h"
#include "core/tonalyte/tonalyteengine.h"

namespace tunedeck {

namespace {

FileAnalysis refusedFile(const OpenFailure &failure, const OpenFile &file)
{
    FileAnalysis a;
    a.refusal = failure;
    a.run.outcome = FastOutcome::FileRefused;
    a.file.format0 = failure.kind == OpenError::FormatNotSupported && file.isSplittableFormat0();
    return a;
}

FileAnalysis opened(TonalyteEngine &engine, OpenFile &file, const OpenResult &result,
                    const AnalysisChoices &choices, const AnalysisHooks &hooks)
{
    if (!result)
        return refusedFile(result.error(), file);
    return analyseFile(engine, file, choices, hooks);
}

bool feedEnded(FastOutcome outcome)
{
    return outcome == FastOutcome::Reported || outcome == FastOutcome::Cancelled;
}

// The events were gathered: the profile analysis reads them whatever the library made of them.
bool eventsGathered(FastOutcome outcome)
{
    return feedEnded(outcome) || outcome == FastOutcome::NoData || outcome == FastOutcome::LibraryError;
}

// The profile analysis of the events and the chords in its local keys.
void analyseKeys(FileAnalysis &a, const std::vector<NoteEvent> &events, const OpenFile &file,
                 const AnalysisChoices &choices)
{
    chords::ChordClock clock{file.ticksPerQuarter(), a.run.ticksPerBar, file.msPerTick()};
    // The notes paired once, for the bars and the chords alike.
    std::vector<chords::SpanNote> notes;
    if (choices.bars == BarChoice::Music || choices.withChords)
        notes = chords::pairNotes(events);
    if (choices.bars == BarChoice::Music)
        clock = chords::musicClock(notes, clock, statedQuarters(file.midi()));
    a.bars = clock;
    chords::KeysAndChords found = chords::analyseKeysAndChords(events, clock, choices.profile, choices.keyNetwork,
                                                               choices.withChords, &notes);
    a.profile = std::move(found.keys);
    a.chords = std::move(found.chords);
    spelledNames(a).writeChords(a.chords);
}

// Past the event buffer the library names no key, but the notes up to the limit are known
// as a play of the file shows them.
void analyseUpToLimit(FileAnalysis &a, const OpenFile &file, const AnalysisChoices &choices)
{
    const std::optional<TrackRange> range = file.tracks(choices.fast.tracks);
    if (!range)
        return;
    std::vector<NoteEvent> events;
    eventsUpToLimit(file, *range, choices.fast, events);
    analyseKeys(a, events, file, choices);
    a.limitBar = a.profile->lastBar;
}

} // namespace

FileAnalysis analyseFile(TonalyteEngine &engine, const OpenFile &file, const AnalysisChoices &choices,
                         const AnalysisHooks &hooks)
{
    FileAnalysis a;
    a.file = {file.trackCount(), file.ticksPerQuarter(), file.msPerTick(), file.wasSplit(), file.wasSplit()};
    if (choices.fast.adjust.transpose == 0)
        a.spelling = file.spelling();
    a.placed = file.placed();
    a.layout = file.layout();
    // A fast run ends any play first.
    engine.KeyStopTimer();
    a.run = runFastDetection(engine, file, choices.fast, hooks.run);

    if (feedEnded(a.run.outcome)) {
        // A cancelled run is reported on the events fed so far.
        a.statistics.total = engine.KeyGetKStatic(a.statistics.codes.data(), a.statistics.counts.data());
        a.timeline.full = engine.KeyGetKTiming(a.timeline.codes.data(), a.timeline.times.data());
        a.answered = true;
        a.reported = hooks.reportChoices ? hooks.reportChoices()
                                         : ReportChoices{choices.fast.moreSensitive, choices.fast.tracks.all,
                                                         choices.fast.keys};
        a.run.reports = reportsWith(a, a.reported.keys, choices.barLimit);
        if (a.run.reports.overall.hasKey())
            a.run.keyCode = a.run.reports.overall.top().code;
    }
    if (choices.withProfile && eventsGathered(a.run.outcome))
        analyseKeys(a, a.run.events, file, choices);
    else if (choices.withProfile && a.run.outcome == FastOutcome::OutOfBuffer)
        analyseUpToLimit(a, file, choices);
    return a;
}

FileAnalysis analyseBytes(TonalyteEngine &engine, std::string_view bytes, const AnalysisChoices &choices,
                          const AnalysisHooks &hooks)
{
    OpenFile file;
    file.setSplitFormat0(choices.splitFormat0);
    file.setScoreOptions({choices.unfoldRepeats, choices.withScorePlaces});
    const OpenResult result = file.openBytes(bytes);
    return opened(engine, file, result, choices, hooks);
}

FileAnalysis analysePath(TonalyteEngine &engine, const std::string &path, const AnalysisChoices &choices,
                         const AnalysisHooks &hooks, std::string *bytesRead)
{
    OpenFile file;
    file.setSplitFormat0(choices.splitFormat0);
    file.setScoreOptions({choices.unfoldRepeats, choices.withScorePlaces});
    const OpenResult result = file.open(path, bytesRead);
    return opened(engine, file, result, choices, hooks);
}

KeyReports reportsWith(const FileAnalysis &a, KeyCountChoice keys, BarLimit limit)
{
    KeyReports r;
    if (!a.answered)
        return r;
    r.overall = buildOverallKeyReport(a.statistics, a.reported.moreSensitive, a.reported.allTracks);
    r.timing = buildKeyTimingReport(a.timeline, r.overall.ranked, true, a.run.ticksPerBar, keys, limit);
    return r;
}

SpelledNames spelledNames(const FileAnalysis &a)
{
    return SpelledNames(a.spelling.get(), a.profile ? &*a.profile : nullptr);
}

bool succeeded(const FileAnalysis &a)
{
    return a.run.outcome == FastOutcome::Reported || a.run.outcome == FastOutcome::NoData;
}

} // namespace tunedeck
