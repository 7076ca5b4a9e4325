#include "pagechords.h"

#include "core/analysis/analysisjson.h"
#include "core/analysis/chordoutput.h"
#include "core/harmony/romannumeral.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tunedeck::web {

val chordsValue(const std::vector<chords::ChordSegment> &segments, double msPerTick)
{
    const nlohmann::json objects = chordsJson(segments);
    std::vector<std::int32_t> flat;
    flat.reserve(segments.size() * ChordStride);
    std::vector<std::string> symbols, shortSymbols, romans, keys, inKey, places;
    std::vector<float> confidence;
    const auto ms = [msPerTick](std::int64_t tick) { return std::int32_t(std::lround(double(tick) * msPerTick)); };
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const chords::ChordSegment &s = segments[i];
        flat.insert(flat.end(), {std::int32_t(s.tick), std::int32_t(s.endTick), ms(s.tick), ms(s.endTick),
                                 s.chord.root, int(s.chord.quality), s.chord.bass, s.keyCode});
        symbols.push_back(harmony::chordSymbol(s.chord, s.keyCode, s.written));
        // Where the whole symbol does not fit, the lane writes it without its bass.
        harmony::Chord rootPosition = s.chord;
        rootPosition.bass = 0;
        shortSymbols.push_back(harmony::chordSymbol(rootPosition, s.keyCode, s.written));
        romans.push_back(objects[i]["roman"].get<std::string>());
        keys.push_back(objects[i]["key"].get<std::string>());
        confidence.push_back(float(s.confidence));
        inKey.push_back(harmony::chordInKey(s.chord, s.keyCode, s.written));
        // The bar and beat as the JSON and the CSV write them: a whole beat as a whole number.
        places.push_back("bar " + objects[i]["bar"].dump() + ", beat " + objects[i]["beat"].dump());
    }
    val out = val::object();
    out.set("segments", int32Array(flat));
    out.set("symbols", stringArray(symbols));
    out.set("shortSymbols", stringArray(shortSymbols));
    out.set("romans", stringArray(romans));
    out.set("keys", stringArray(keys));
    out.set("confidence", float32Array(confidence));
    out.set("inKey", stringArray(inKey));
    out.set("places", stringArray(places));
    return out;
}

std::vector<chords::ChordSegment> chordSegments(const val &chords)
{
    if (chords.isNull() || chords.isUndefined() || !chords["segments"].instanceof(val::global("Int32Array")))
        return {};
    const auto flat = emscripten::convertJSArrayToNumberVector<std::int32_t>(chords["segments"]);
    std::vector<chords::ChordSegment> out;
    for (std::size_t i = 0; i + ChordStride <= flat.size(); i += ChordStride) {
        chords::ChordSegment s;
        s.tick = flat[i];
        s.endTick = flat[i + 1];
        s.chord.root = flat[i + 4];
        s.chord.quality = harmony::Quality(std::clamp(flat[i + 5], 0, harmony::NamedQualityCount - 1));
        s.chord.bass = flat[i + 6];
        s.keyCode = flat[i + 7];
        out.push_back(s);
    }
    return out;
}

std::string chordsCsv(const std::vector<chords::ChordSegment> &segments, const std::string &file)
{
    return chordCsvHeader() + chordCsvRows(file, segments);
}

} // namespace tunedeck::web
