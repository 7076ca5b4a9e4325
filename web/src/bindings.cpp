// What the page's JavaScript calls: the analysis of a file, the live play and listening,
// and the key names of every notation, all from the core.
#include "base/keycodes.h"
#include "base/keynames.h"
#include "pageanalysis.h"
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

} // namespace

EMSCRIPTEN_BINDINGS(tunedeck)
{
    using namespace emscripten;
    function("analyse", &analyseForPage);
    function("keyName", &keyNameIn);
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
