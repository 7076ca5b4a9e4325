#include "pageanalysis.h"

#include "core/analysis/analysisjson.h"
#include "core/analysis/analysistexts.h"
#include "core/batch/resultrow.h"
#include "core/base/keycodes.h"
#include "core/base/spelling.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "core/keymap/keymaprows.h"
#include "core/midi/channeluse.h"
#include "core/base/gmprograms.h"
#include "pagechoices.h"
#include "pagechords.h"
#include "pageclock.h"
#include "core/pianoroll/rollsources.h"
#include "core/reports/analysistext.h"
#include "core/romantext/romantext.h"
#include "core/annotate/annotatedscore.h"
#include "core/score/scorefile.h"

#include <array>
#include <filesystem>

namespace tunedeck::web {

namespace {

constexpr std::array AllNotations{Notation::Standard, Notation::Camelot, Notation::OpenKey, Notation::German};

} // namespace

val keyMapValue(const KeyMapData &map)
{
    val out = val::object();
    out.set("unit", std::string(map.unitLabel()));
    out.set("first", double(map.first()));
    out.set("bars", double(map.bars));
    val rows = val::array();
    for (const KeyMapData::Row &row : map.rows) {
        std::vector<std::int32_t> flat; // first, last, key code, unsure
        std::vector<std::string> labels; // in standard notation, our own keys as a score writes them
        for (const KeyMapSegment &s : row.segments) {
            flat.insert(flat.end(), {std::int32_t(s.firstBar), std::int32_t(s.lastBar), s.keyCode, s.unsure ? 1 : 0});
            labels.push_back(shortWrittenKeyName(s.keyCode, s.keyFifths));
        }
        val r = val::object();
        r.set("title", row.title);
        r.set("segments", int32Array(flat));
        r.set("labels", stringArray(labels));
        rows.call<void>("push", r);
    }
    out.set("rows", rows);
    return out;
}

namespace {

val rollValue(const PianoRollData &roll)
{
    std::vector<std::int32_t> notes; // start, end, pitch, channel
    notes.reserve(roll.notes.size() * 4);
    for (const RollNote &n : roll.notes)
        notes.insert(notes.end(), {n.startMs, n.endMs, n.pitch, n.channel});
    std::vector<std::int32_t> keys; // start, end, key code, unsure
    for (const RollKey &k : roll.keys)
        keys.insert(keys.end(), {k.startMs, k.endMs, k.keyCode, k.unsure ? 1 : 0});
    val out = val::object();
    out.set("notes", int32Array(notes));
    out.set("keys", int32Array(keys));
    out.set("endMs", roll.endMs);
    out.set("longestMs", roll.longestMs);
    out.set("lowPitch", roll.lowPitch);
    out.set("highPitch", roll.highPitch);
    return out;
}

// names: a score's keys as it writes them (the standard notation's "name"s).
val profileValue(const profile::ProfileAnalysis &p, const SpelledNames &names)
{
    val out = val::object();
    out.set("keyCode", p.keyCode);
    out.set("name", names.key(p.keyCode));
    out.set("confidence", p.confidence);
    out.set("ambiguous", p.ambiguous);
    val candidates = val::array();
    for (const profile::KeyCandidate &c : p.candidates) {
        val k = val::object();
        k.set("keyCode", c.keyCode);
        k.set("name", names.key(c.keyCode));
        k.set("confidence", c.confidence);
        k.set("relation", std::string(relationName(c.relation)));
        candidates.call<void>("push", k);
    }
    out.set("candidates", candidates);
    std::vector<std::string> lines; // the window's line in each notation
    for (Notation n : AllNotations)
        lines.push_back(text::profileKey(p, n, &names));
    out.set("lines", stringArray(lines));
    out.set("changes", text::localKeyChanges(p, &names));
    return out;
}

val channelsValue(const OpenFile &file)
{
    val out = val::array();
    const ChannelUses uses = channelUses(file.midi());
    for (int ch = 0; ch < 16; ++ch) {
        if (!uses[std::size_t(ch)].notes)
            continue;
        val c = val::object();
        c.set("channel", ch + 1);
        c.set("program", uses[std::size_t(ch)].program);
        c.set("instrument", std::string(ch == 9 ? std::string_view("Drums") : gmProgramName(std::max(0, uses[std::size_t(ch)].program))));
        out.call<void>("push", c);
    }
    return out;
}

val rankedValue(const OverallKeyReport &overall)
{
    val ranked = val::array();
    for (const RankedKey &k : overall.ranked) {
        val r = val::object();
        r.set("keyCode", k.code);
        r.set("percent", k.percent);
        ranked.call<void>("push", r);
    }
    return ranked;
}

val timelineValue(const KeyTimingReport &timing)
{
    val timeline = val::array();
    for (const TimelinePoint &p : timing.points) {
        val t = val::object();
        t.set("at", double(p.at));
        t.set("keyCode", p.code);
        timeline.call<void>("push", t);
    }
    return timeline;
}

// What the page shows of an opened file: its channels, the chords timed at the play's tempo,
// the key map and the roll.
void fileValues(val &out, const OpenFile &file, const FileAnalysis &a, const AnalysisChoices &chosen)
{
    const PlayAdjust &adjust = chosen.fast.adjust;
    out.set("channels", channelsValue(file));
    const double msPerBar = double(a.run.ticksPerBar) * file.msPerTick() * 100.0 / adjust.tempoPercent;
    out.set("msPerBar", msPerBar);
    out.set("chords", chordsValue(a.chords, file.msPerTick() * 100.0 / adjust.tempoPercent));
    if (!a.profile)
        return;
    const SpelledNames names = spelledNames(a);
    const KeyMapData map = fastKeyMap(a.run.reports.timing, *a.profile, a.run.feed.lastBar, &names, a.run.ticksPerBar);
    out.set("keyMap", keyMapValue(map));
    if (std::optional<PianoRollData> roll = rollOfFile(file, chosen.fast.tracks, adjust, chosen.fast.channels)) {
        roll->keys = rollKeysOfMap(map, ProfileRow, double(a.bars.ticksPerBar) * file.msPerTick() * 100.0 / adjust.tempoPercent,
                                   double(a.bars.barStart) * file.msPerTick() * 100.0 / adjust.tempoPercent);
        out.set("roll", rollValue(*roll));
    }
}

// The score with its analysis written in, as tunedeck-detect --write-musicxml writes it;
// null for a MIDI file and a run whose chords are not where the written notes are.
val annotatedValue(const std::string &bytes, const FileAnalysis &a, const AnalysisChoices &chosen)
{
    if (a.refusal || !a.placed)
        return val::null();
    const Result<std::string> written = annotate::annotatedScore(bytes, a, chosen);
    return written ? val(*written) : val::null();
}

} // namespace

TonalyteEngine &pageEngine()
{
    static LinkedTonalyte engine;
    static const bool clocked = (engine.setTickSource(&pageClock()), true);
    (void)clocked;
    return engine;
}

val analyseForPage(const std::string &bytes, const val &choices, const std::string &name)
{
    AnalysisChoices chosen = pageChoices(choices);
    // A score as written keeps its text, so that "Save score with analysis" writes into it.
    chosen.withScorePlaces = !chosen.unfoldRepeats && chosen.fast.adjust.transpose == 0 && score::looksLikeScore(bytes);
    TonalyteEngine &engine = pageEngine();
    OpenFile file;
    file.setSplitFormat0(chosen.splitFormat0);
    file.setScoreOptions({chosen.unfoldRepeats, chosen.withScorePlaces});
    const bool opened = bool(file.openBytes(bytes));
    const FileAnalysis a = opened ? analyseFile(engine, file, chosen) : analyseBytes(engine, bytes, chosen);
    const LabelTexts texts = labelTexts(a);

    val out = val::object();
    // As tunedeck-detect --json prints it with the same options (--transpose, --notation).
    JsonFields fields;
    fields.transposeLeftOut = chosen.fast.adjust.transpose != 0;
    if (chosen.notation != Notation::Standard)
        fields.notation = chosen.notation;
    out.set("json", analysisJson(a, texts, fields).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    const batch::FileResult row = batch::resultRow(a, texts, name);
    out.set("csv", batch::csvHeader(chosen.notation) + batch::csvRow(row, chosen.notation));
    out.set("succeeded", succeeded(a));
    out.set("outcome", outcomeName(a.run.outcome));
    // The reader finds no header in nothing at all; the page says the file is empty.
    const std::string reason = !a.refusal ? std::string()
                               : bytes.empty()        ? std::string("the file is empty (0 bytes)")
                               : a.refusal->reason.empty() ? texts.kType
                                                           : a.refusal->reason;
    out.set("refusal", a.refusal ? val(reason) : val::null());
    out.set("splittable", !opened && file.isSplittableFormat0());
    out.set("status", texts.mess);
    out.set("keyCode", a.run.keyCode);
    out.set("signature", texts.signat);
    out.set("trackCount", a.file.trackCount);
    out.set("format0", a.file.format0);
    out.set("ranked", rankedValue(a.run.reports.overall));
    out.set("timeline", timelineValue(a.run.reports.timing));
    out.set("timelineTexts", stringArray(texts.keyPoint));
    // Over the event buffer Tonalyte gives no key; the profile analysis, the key map and the
    // chords cover the notes up to the limit.
    out.set("profile", a.profile ? profileValue(*a.profile, spelledNames(a)) : val::null());
    out.set("limitBar", double(a.limitBar));
    out.set("chordsCsv", chordsCsv(a.chords, name));
    // Named as the command names it: the file's name without its extension.
    out.set("romanText", a.refusal ? val::null()
                                   : val(romantext::romanText(a, std::filesystem::path(name).stem().string())));
    out.set("annotatedScore", annotatedValue(bytes, a, chosen));
    if (opened)
        fileValues(out, file, a, chosen);
    return out;
}

} // namespace tunedeck::web
