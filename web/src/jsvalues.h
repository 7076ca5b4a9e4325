// Typed data handed to the page's JavaScript: plain objects and typed arrays copied out of
// the module's memory, so nothing the page keeps points into it.
#ifndef TUNEDECK_WEB_JSVALUES_H
#define TUNEDECK_WEB_JSVALUES_H

#include <emscripten/val.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tunedeck::web {

using emscripten::val;

inline val int32Array(const std::vector<std::int32_t> &values)
{
    return val::global("Int32Array").new_(emscripten::typed_memory_view(values.size(), values.data()));
}

inline val float32Array(const std::vector<float> &values)
{
    return val::global("Float32Array").new_(emscripten::typed_memory_view(values.size(), values.data()));
}

inline val stringArray(const std::vector<std::string> &texts)
{
    val list = val::array();
    for (const std::string &t : texts)
        list.call<void>("push", t);
    return list;
}

// A field of a choices object, or its default when the page left it out.
template <class T>
T field(const val &object, const char *name, T fallback)
{
    const val v = object[name];
    return v.isUndefined() || v.isNull() ? fallback : v.as<T>();
}

} // namespace tunedeck::web

#endif
