// What tunedeck-detect prints of a run, for `python -m tunedeck`: the text block, the JSON
// object, the CSV row and the run's closing lines, each made by the code the command uses.
#ifndef TUNEDECK_PYTHON_DETECT_H
#define TUNEDECK_PYTHON_DETECT_H

#include <pybind11/pybind11.h>

namespace tunedeck::python {

void registerDetect(pybind11::module_ &m);

} // namespace tunedeck::python

#endif
