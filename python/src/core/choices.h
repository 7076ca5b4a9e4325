// The run's choices as Python gives them: keywords or a dict, checked against the table of
// choices (core/analysis/choicetable.h) with TypeError or ValueError naming the argument, and
// the checked values and the defaults back in Python's spelling.
#ifndef TUNEDECK_PYTHON_CHOICES_H
#define TUNEDECK_PYTHON_CHOICES_H

#include "core/analysis/analysischoices.h"

#include <pybind11/pybind11.h>

namespace tunedeck::python {

struct Options {
    AnalysisChoices choices;
    // The command writes "transposeLeftOut" whenever --transpose is given, 0 too.
    bool transposeGiven = false;
};

// _core.Options(choices=None, /, **keywords): the table's keywords (from the dict, then the
// keywords), and what a front end asks of the run besides: with_profile and transpose_field.
// Options.choices() gives them back checked, Options.defaults() the table's defaults.
void registerChoices(pybind11::module_ &m);

} // namespace tunedeck::python

#endif
