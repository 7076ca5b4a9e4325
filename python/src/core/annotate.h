// A run's analysis written into the score it read (Analysis.to_musicxml).
#ifndef TUNEDECK_PYTHON_ANNOTATE_H
#define TUNEDECK_PYTHON_ANNOTATE_H

#include <pybind11/pybind11.h>

namespace tunedeck::python {

void registerAnnotate(pybind11::module_ &m);

} // namespace tunedeck::python

#endif
