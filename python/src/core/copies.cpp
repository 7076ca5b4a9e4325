#include "copies.h"

#include "core/analysis/chordoutput.h"
#include "core/batch/copyplan.h"
#include "core/batch/filewalk.h"
#include "core/batch/midicopies.h"
#include "core/midi/midiedit.h"
#include "run.h"

#include <pybind11/stl.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace py = pybind11;

namespace tunedeck::python {

namespace {

// One folder of chord-marker copies over a run's files: the walk leaves the folder out, and
// every copy's place is decided before any is written, as the command does.
class ChordCopies {
public:
    ChordCopies(const std::vector<std::string> &arguments, const std::string &folder)
        : folder_(folder), walk_(batch::collectFiles(arguments, {folder})),
          plan_({folder}, walk_.files, walk_.roots)
    {
    }

    py::list files() const
    {
        py::list out;
        for (const batch::FileEntry &f : walk_.files)
            out.append(py::bytes(f.path));
        return out;
    }

    py::list problems() const
    {
        py::list out;
        for (const batch::WalkProblem &p : walk_.problems)
            out.append(py::make_tuple(py::bytes(p.path), p.reason));
        return out;
    }

    // The folders the walk met and left out, since the copies go there.
    py::list notRead() const
    {
        py::list out;
        for (const std::string &dir : walk_.notRead)
            out.append(py::bytes(dir));
        return out;
    }

    // The copy of the file at `index` from the bytes its run read (the run kept them); None
    // when written or when its run made none, else why it was not written.
    std::optional<std::string> write(std::size_t index, const Run &run) const
    {
        if (index >= walk_.files.size())
            throw py::index_error("no file " + std::to_string(index) + " in the run");
        const FastOutcome outcome = run.analysis.run.outcome;
        if (outcome != FastOutcome::Reported && outcome != FastOutcome::NoData)
            return std::nullopt; // a file not read has no copy, as the command's
        const batch::PlannedCopy &planned = plan_.at(index, 0);
        if (!planned.refusal.empty())
            return planned.refusal;
        Result<> written;
        {
            py::gil_scoped_release release;
            const Result<std::string> copy = editedMidi(run.source, chordMarkerEdit(run.analysis.chords));
            written = copy ? batch::writeCopy(planned.path, *copy)
                           : failure(walk_.files[index].path + ": " + copy.error().reason);
        }
        if (written)
            return std::nullopt;
        return written.error().reason;
    }

private:
    std::string folder_;
    batch::WalkResult walk_;
    batch::CopyPlan plan_;
};

} // namespace

void registerCopies(py::module_ &m)
{
    py::class_<ChordCopies>(m, "ChordCopies",
                            "--write-chords' copies of a run's files: the walk (leaving the folder out) and the plan.")
        .def(py::init<const std::vector<std::string> &, const std::string &>(), py::arg("arguments"),
             py::arg("folder"))
        .def_property_readonly("files", &ChordCopies::files)
        .def_property_readonly("problems", &ChordCopies::problems)
        .def_property_readonly("not_read", &ChordCopies::notRead)
        .def("write", &ChordCopies::write, py::arg("index"), py::arg("run"));
}

} // namespace tunedeck::python
