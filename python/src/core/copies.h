// The copies python -m tunedeck writes with --write-chords, planned and made as the command's.
#ifndef TUNEDECK_PYTHON_COPIES_H
#define TUNEDECK_PYTHON_COPIES_H

#include <pybind11/pybind11.h>

namespace tunedeck::python {

void registerCopies(pybind11::module_ &m);

} // namespace tunedeck::python

#endif
