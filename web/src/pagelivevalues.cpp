// What the page is handed of a play or listening: the play list to sound, what is shown live,
// the live key map and the report, as plain objects.
#include "pagelive.h"

#include "core/keymap/keymaprows.h"
#include "pageanalysis.h"
#include "pagechoices.h"
#include "core/playback/midioutput.h"
#include "core/reports/analysistext.h"
#include "core/reports/runreports.h"
#include "core/reports/runtexts.h"

namespace tunedeck::web {

namespace {

// Keeps the list a session composes: the page sounds it.
class ListOutput final : public MidiOutput {
public:
    void open() override { events.clear(); }
    void append(const TimedEvent &event) override { events.push_back(event); }
    void play() override {}
    void playFrom(std::int32_t) override {}
    void stop() override {}
    void close() override {}

    std::vector<TimedEvent> events;
};

ListOutput &listOutput()
{
    static ListOutput output;
    return output;
}

} // namespace

PageLive::PageLive() : session_(pageEngine(), &listOutput(), *this) {}

val PageLive::compose(const std::string &bytes, const val &choices)
{
    stop();
    listening_ = false;
    const AnalysisChoices chosen = pageChoices(choices);
    moreSensitive_ = chosen.fast.moreSensitive;
    session_.prepare();
    OpenFile file;
    file.setSplitFormat0(chosen.splitFormat0);
    file.setScoreOptions({chosen.unfoldRepeats});
    const OpenResult opened = file.openBytes(bytes);
    composed_ = opened && session_.compose(file, chosen.fast.tracks, chosen.fast.adjust, chosen.fast.channels);
    keys_ = composed_ ? PlayKeys::of(file, chosen.fast, {}, false, chosen.bars == BarChoice::Music) : std::nullopt;
    val out = val::object();
    out.set("ok", composed_);
    if (!composed_) {
        out.set("why", opened ? std::string("the chosen track is not in this file") : opened.error().reason);
        return out;
    }
    std::vector<std::int32_t> flat;
    for (const TimedEvent &e : channelMessagesInPlayOrder(listOutput().events))
        flat.insert(flat.end(), {e.ms, e.status, e.data1, e.data2, e.tag});
    out.set("events", int32Array(flat));
    out.set("lengthMs", double(session_.length()));
    out.set("leftOut", session_.leftOut());
    out.set("noteZeroLeftOut", session_.noteZeroLeftOut());
    return out;
}

val PageLive::state() const
{
    val out = val::object();
    out.set("running", running_);
    const TonalyteAnswer &last = live_.answer();
    out.set("keyCode", last.keyCode);
    out.set("refused", last.keyCode < 0);
    out.set("name", live_.keyTexts().name);
    out.set("signature", live_.keyTexts().signature);
    const ShownKey &shown = live_.shown();
    val profile = val::object();
    profile.set("keyCode", shown.reading.keyCode);
    profile.set("confidence", shown.reading.confidence);
    profile.set("sure", shown.reading.sure);
    profile.set("fromBar", double(shown.fromBar));
    profile.set("listened", shown.listened);
    std::vector<std::string> lines;
    for (int n = 0; n < 4; ++n)
        lines.push_back(text::shownKey(shown, Notation(n)));
    profile.set("lines", stringArray(lines));
    out.set("profile", profile);
    // The chord of the moment among the ones the page lists, at the play's position.
    const chords::ChordSegment *chord = keys_ ? chords::chordAt(chords_, keys_->tickAt(live_.position())) : nullptr;
    val c = val::object();
    const std::size_t index = chord ? std::size_t(chord - chords_.data()) : 0;
    c.set("index", chord ? int(index) : -1);
    c.set("text", chord && index < chordTexts_.size() ? chordTexts_[index] : std::string());
    out.set("chord", c);
    out.set("noteZeroLeftOut", listening_ ? heardNoteZero_ : session_.noteZeroLeftOut());
    return out;
}

val PageLive::report(const val &choices) const
{
    const FastOptions chosen = pageChoices(choices).fast;
    // Listening hears every channel; a play the tracks chosen.
    const RunTexts t = reportTexts(buildReports(pageEngine(), moreSensitive_, listening_ || chosen.tracks.all, false, 0,
                                                chosen.keys));
    val out = val::object();
    out.set("kType", RunTexts::shown(t.kType));
    out.set("keyCode", t.key.value_or(0));
    out.set("haStr", RunTexts::shown(t.haStr));
    out.set("error", RunTexts::shown(t.error));
    out.set("keyList", stringArray(t.keyList.value_or(std::vector<std::string>{})));
    out.set("keyPoint", stringArray(t.keyPoint.value_or(std::vector<std::string>{})));
    return out;
}

val PageLive::liveMap() const
{
    return keyMapValue(live_.keyMap());
}

} // namespace tunedeck::web
