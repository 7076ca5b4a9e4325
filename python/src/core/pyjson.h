// The core's JSON as the Python objects json.loads would make of the command's output.
#ifndef TUNEDECK_PYTHON_PYJSON_H
#define TUNEDECK_PYTHON_PYJSON_H

#include <nlohmann/json.hpp>
#include <pybind11/pybind11.h>

namespace tunedeck::python {

pybind11::object toPython(const nlohmann::json &value);

// The decoding error handler that stands U+FFFD for each byte that is not UTF-8.
inline constexpr const char *ByteWise = "tunedeck.bytewise";
void registerByteWise();

// Text that may hold bytes that are not UTF-8 (a system's reason), each such byte as U+FFFD
// as the command's JSON writes it.
pybind11::str text(const std::string &bytes);

} // namespace tunedeck::python

#endif
