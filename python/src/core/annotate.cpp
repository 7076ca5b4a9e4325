#include "annotate.h"

#include "choices.h"
#include "run.h"

#include "core/annotate/annotatedscore.h"

#include <stdexcept>

namespace py = pybind11;

namespace tunedeck::python {

void registerAnnotate(py::module_ &m)
{
    // The score's bytes with the run's chords and numerals; ValueError in the core's words.
    m.def(
        "annotated_score",
        [](const py::bytes &data, const Run &run, const Options &options) {
            const std::string_view bytes = data;
            Result<std::string> written;
            {
                py::gil_scoped_release release;
                written = annotate::annotatedScore(bytes, run.analysis, options.choices);
            }
            if (!written)
                throw py::value_error(written.error().reason);
            return py::bytes(*written);
        },
        py::arg("data"), py::arg("run"), py::arg("options"));
}

} // namespace tunedeck::python
