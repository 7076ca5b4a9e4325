#include "pagelive.h"

#include "base/keycodes.h"
#include "engine/tonalyteengine.h"
#include "keymap/keymaprows.h"
#include "pageanalysis.h"
#include "pagechords.h"
#include "pageclock.h"
#include "playback/midioutput.h"
#include "chords/romannumeral.h"
#include "reports/analysistext.h"
#include "reports/runreports.h"
#include "reports/runtexts.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::web {

namespace {

constexpr std::size_t TonalyteLine = 0, ProfileLine = 1;

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

std::int64_t wholeMs(double ms) { return std::int64_t(std::floor(std::max(0.0, ms))); }

} // namespace

PageLive::PageLive() : session_(pageEngine(), &listOutput(), *this) {}

val PageLive::compose(const std::string &bytes, const val &choices)
{
    stop();
    listening_ = false;
    const PageChoices chosen = pageChoices(choices);
    moreSensitive_ = chosen.analysis.fast.moreSensitive;
    session_.prepare();
    OpenFile file;
    file.setSplitFormat0(chosen.analysis.splitFormat0);
    composed_ = file.openBytes(bytes) && session_.compose(file, chosen.analysis.fast.tracks, chosen.adjust,
                                                          chosen.analysis.fast.channels);
    FastOptions played = chosen.analysis.fast;
    played.adjust = chosen.adjust;
    keys_ = composed_ ? PlayKeys::of(file, played) : std::nullopt;
    val out = val::object();
    out.set("ok", composed_);
    if (!composed_)
        return out;
    std::vector<std::int32_t> flat;
    for (const TimedEvent &e : channelMessagesInPlayOrder(listOutput().events))
        flat.insert(flat.end(), {e.ms, e.status, e.data1, e.data2, e.tag});
    out.set("events", int32Array(flat));
    out.set("lengthMs", double(session_.length()));
    out.set("leftOut", session_.leftOut());
    return out;
}

void PageLive::startTracking()
{
    tracker_.clear();
    reading_ = {};
    nextSecond_ = 1;
    last_ = {};
    shown_ = display_.show(0).value_or(shown_);
    map_ = {};
    map_.unit = KeyMapUnit::Second;
    map_.rows = {{TonalyteLiveRow, {}}, {ProfileRow, {}}};
}

void PageLive::useChords(const val &chords)
{
    chords_ = chordSegments(chords);
}

bool PageLive::start()
{
    startTracking();
    offset_ = 0;
    lastMs_ = 0;
    running_ = composed_ && session_.start(moreSensitive_);
    return running_;
}

void PageLive::advance(double ms)
{
    if (!running_)
        return;
    const std::int64_t at = wholeMs(ms);
    pageClock().advanceTo(at - offset_);
    update(at);
    lastMs_ = at;
}

void PageLive::update(std::int64_t ms)
{
    // As the window's clock timer reads the tracker: once a second.
    for (; nextSecond_ * 1000 <= ms; ++nextSecond_) {
        const std::int64_t at = nextSecond_ * 1000;
        const profile::ProfileReading heard = tracker_.readingAt(at);
        reading_ = keys_ ? keys_->at(at, heard) : ShownKey{heard};
        recordKey(map_, ProfileLine, nextSecond_, reading_.reading.keyCode, !reading_.reading.sure);
    }
}

void PageLive::record(const TonalyteAnswer &key, std::int64_t ms)
{
    tracker_.note(ms, key.note);
    recordKey(map_, TonalyteLine, ms / 1000, key.keyCode);
}

void PageLive::played(std::int32_t tag, double ms)
{
    if (!running_)
        return;
    advance(ms);
    answered_ = false;
    session_.played(tag); // answers through showAnswer, unless the tag names no note
    if (!answered_)
        return;
    if (last_.keyCode >= 0)
        record(last_, wholeMs(ms));
    else
        running_ = false; // refused: the session stopped the play
}

void PageLive::seek(double ms, bool playing)
{
    if (!composed_)
        return;
    const std::int64_t to = std::clamp<std::int64_t>(wholeMs(ms), 0, session_.length());
    startTracking();
    const RebuiltState rebuilt = session_.seek(to, moreSensitive_, playing, [this](const SentNote &n, std::int32_t code) {
        update(n.ms);
        if (code >= 0)
            record({n.note, code}, n.ms);
    });
    update(to);
    lastMs_ = to;
    if (rebuilt.next > 0)
        showAnswer(rebuilt.key, to);
    offset_ = to;
    running_ = playing && !rebuilt.refused;
}

void PageLive::pause()
{
    session_.pause();
    running_ = false;
}

void PageLive::stop()
{
    session_.stop();
    // Listening's report keeps the key heard, however long ago the last note was.
    if (listening_ && running_)
        reading_ = ShownKey{tracker_.finalReading(lastMs_)};
    running_ = false;
}

bool PageLive::listen(bool moreSensitive)
{
    stop();
    composed_ = false;
    keys_.reset();
    startTracking();
    offset_ = 0;
    lastMs_ = 0;
    listening_ = true;
    moreSensitive_ = moreSensitive;
    running_ = startLiveDetection(pageEngine(), moreSensitive);
    return running_;
}

void PageLive::heard(int status, int note, int velocity, double ms)
{
    if (!running_)
        return;
    const std::int64_t at = wholeMs(ms);
    advance(double(at));
    NoteEvent e;
    e.tick = std::int32_t(at); // timed by listening's clock, for the tracker
    e.note = std::uint8_t(note & 0x7F);
    e.on = (status & 0xF0) == 0x90 && velocity > 0;
    e.velocity = e.on ? std::uint8_t(velocity & 0x7F) : 0;
    e.channel = std::uint8_t(status & 0x0F);
    const TonalyteAnswer key = feedLiveNote(pageEngine(), e);
    showAnswer(key, at);
    if (key.keyCode >= 0) {
        record(key, at);
    } else {
        pageEngine().KeyStopTimer();
        running_ = false;
    }
}

void PageLive::showAnswer(const TonalyteAnswer &key, std::int64_t)
{
    last_ = key;
    answered_ = true;
    if (std::optional<KeyDisplay::Texts> texts = display_.show(key.keyCode))
        shown_ = *texts;
}

val PageLive::state() const
{
    val out = val::object();
    out.set("running", running_);
    out.set("keyCode", last_.keyCode);
    out.set("refused", last_.keyCode < 0);
    out.set("name", shown_.name);
    out.set("signature", shown_.signature);
    val profile = val::object();
    profile.set("keyCode", reading_.reading.keyCode);
    profile.set("confidence", reading_.reading.confidence);
    profile.set("sure", reading_.reading.sure);
    profile.set("fromBar", double(reading_.fromBar));
    profile.set("listened", reading_.listened);
    std::vector<std::string> lines;
    for (int n = 0; n < 4; ++n)
        lines.push_back(text::shownKey(reading_, Notation(n)));
    profile.set("lines", stringArray(lines));
    out.set("profile", profile);
    const chords::ChordSegment *chord = keys_ ? chords::chordAt(chords_, keys_->tickAt(lastMs_)) : nullptr;
    val c = val::object();
    c.set("index", chord ? int(chord - chords_.data()) : -1);
    c.set("text", chord ? chords::chordInKey(chord->chord, chord->keyCode) : std::string());
    out.set("chord", c);
    return out;
}

val PageLive::report(const val &choices) const
{
    const FastOptions chosen = pageChoices(choices).analysis.fast;
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
    return keyMapValue(map_);
}

} // namespace tunedeck::web
