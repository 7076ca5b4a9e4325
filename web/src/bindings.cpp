// What the page's JavaScript calls: the analysis of a file, the live play and listening and
// the key names of every notation, all from the core.
#include "core/base/choices.h"
#include "core/base/keycodes.h"
#include "core/base/keynames.h"
#include "jsvalues.h"
#include "core/midi/noteevents.h"
#include "pageanalysis.h"
#include "pagechoices.h"
#include "pagelive.h"

#include <emscripten/bind.h>

namespace tunedeck::web {
namespace {

std::string keyNameIn(int code, int notation)
{
    return keyName(code, Notation(std::clamp(notation, 0, 3)));
}

// The profile analysis' names in standard notation, as its line and JSON spell them.
std::string profileKeyName(int code, int notation)
{
    return notation == 0 ? analysisKeyName(code) : keyNameIn(code, notation);
}

// Where a key's colour sits: its place on the circle of fifths (0 = C major and A minor),
// and whether it is major; -1 for no key.
val keyColourPlace(int code)
{
    val out = val::object();
    out.set("place", fifthsPosition(code));
    out.set("major", isMajorKey(code));
    return out;
}

// The table of choices the page's lists are made from: meters, key counts, the file names it
// takes, the tracks it offers and how it numbers "Track 01", the most note events a fast run
// reads, and each field of the page's choices with its default and range.
val choiceTable()
{
    val meters = val::array(), keyCounts = val::array(), extensions = val::array();
    for (const Meter &m : Meters)
        meters.call<void>("push", std::string(m.text));
    for (const KeyCountWord &k : KeyCounts) {
        val item = val::object();
        item.set("value", int(k.choice));
        // The page has always said it plainly where the window writes "I don't known".
        item.set("label", k.choice == KeyCountChoice::NotKnown ? std::string("I don't know") : std::string(k.label));
        keyCounts.call<void>("push", item);
    }
    for (const std::string_view ext : MidiExtensions)
        extensions.call<void>("push", std::string(ext));
    for (const std::string_view ext : ScoreExtensions)
        extensions.call<void>("push", std::string(ext));
    extensions.call<void>("push", std::string(XmlExtension));
    val out = val::object();
    out.set("meters", meters);
    const val fields = pageChoiceFields();
    out.set("fields", fields);
    out.set("defaultMeter", fields["meter"]["default"]);
    out.set("keyCounts", keyCounts);
    out.set("defaultKeyCount", fields["keys"]["default"]);
    out.set("extensions", extensions);
    out.set("tracks", ChoosableTracks);
    out.set("trackOne", trackOne(TrackCount::Position));
    out.set("maxNoteEvents", MaxNoteEvents);
    return out;
}

} // namespace

EMSCRIPTEN_BINDINGS(tunedeck)
{
    using namespace emscripten;
    function("analyse", &analyseForPage);
    function("keyName", &keyNameIn);
    function("choices", &choiceTable);
    function("profileKeyName", &profileKeyName);
    function("shortKeyName", &shortKeyName);
    function("keyColourPlace", &keyColourPlace);
    class_<PageLive>("Live")
        .constructor<>()
        .function("compose", &PageLive::compose)
        .function("useChords", &PageLive::useChords)
        .function("start", &PageLive::start)
        .function("played", &PageLive::played)
        .function("advance", &PageLive::advance)
        .function("seek", &PageLive::seek)
        .function("pause", &PageLive::pause)
        .function("stop", &PageLive::stop)
        .function("listen", &PageLive::listen)
        .function("heard", &PageLive::heard)
        .function("state", &PageLive::state)
        .function("liveMap", &PageLive::liveMap)
        .function("report", &PageLive::report);
}

} // namespace tunedeck::web
