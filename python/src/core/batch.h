// The batch library and the table of choices in tunedeck._core.
#ifndef TUNEDECK_PYTHON_BATCH_H
#define TUNEDECK_PYTHON_BATCH_H

#include "core/batch/resultrow.h"

#include <pybind11/pybind11.h>

namespace tunedeck::python {

// A row's value as Python holds it: None where the row has none.
pybind11::object cellValue(const batch::Cell &cell);

void registerBatch(pybind11::module_ &m);

} // namespace tunedeck::python

#endif
