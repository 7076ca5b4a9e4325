// The batch library and the table of choices as the Python layer reads them: the folder
// walk, the file-name fields, the columns of a row, the progress line, the meters, key
// counts, extensions and track numbering. Python spells the names its own way only.
#include "batch.h"

#include "core/base/choices.h"
#include "core/batch/filenames.h"
#include "core/batch/filewalk.h"
#include "core/batch/progress.h"
#include "core/batch/resultrow.h"
#include "pyjson.h"

#include <pybind11/stl.h>

namespace py = pybind11;

namespace tunedeck::python {

namespace {

const char *kindName(batch::CellKind kind)
{
    switch (kind) {
    case batch::CellKind::Text: return "text";
    case batch::CellKind::Integer: return "integer";
    case batch::CellKind::Number: return "number";
    case batch::CellKind::Boolean: return "boolean";
    }
    return "text";
}

py::tuple midiFiles(const std::vector<std::string> &arguments)
{
    const batch::WalkResult walk = batch::collectFiles(arguments);
    py::list files, problems;
    for (const batch::FileEntry &f : walk.files)
        files.append(py::bytes(f.path));
    for (const batch::WalkProblem &p : walk.problems)
        problems.append(py::make_tuple(py::bytes(p.path), p.reason));
    return py::make_tuple(files, problems);
}

std::optional<TrackCount> trackCount(std::string_view frontEnd)
{
    for (const TrackCounting &c : TrackCountings)
        if (c.frontEnd == frontEnd)
            return c.count;
    return std::nullopt;
}

} // namespace

py::object cellValue(const batch::Cell &cell)
{
    if (const auto *s = std::get_if<std::string>(&cell))
        return text(*s);
    if (const auto *n = std::get_if<std::int64_t>(&cell))
        return py::int_(*n);
    if (const auto *d = std::get_if<double>(&cell))
        return py::float_(*d);
    if (const auto *b = std::get_if<bool>(&cell))
        return py::bool_(*b);
    return py::none();
}

void registerBatch(py::module_ &m)
{
    m.def("midi_files", &midiFiles, py::arg("arguments"),
          "The files a collection run reads, and the entries the walk could not use: (files, [(path, why)]).");
    m.def("file_fields", [](const py::bytes &name) {
        nlohmann::json o = nlohmann::json::object();
        batch::putFileName(o, std::string(name));
        return toPython(o);
    }, py::arg("name"));
    m.def("columns", [] {
        py::list list;
        for (const batch::Column &c : batch::Columns)
            list.append(py::dict(py::arg("name") = batch::snakeCase(c.name), py::arg("csv") = std::string(c.name),
                                 py::arg("kind") = kindName(c.kind), py::arg("optional") = c.optional,
                                 py::arg("in_csv") = bool(c.use & batch::InCsv),
                                 py::arg("in_table") = bool(c.use & batch::InTable)));
        return list;
    });
    m.def("progress_line", &batch::progressLine, py::arg("done"), py::arg("total"), py::arg("seconds"),
          py::arg("width") = 24);
    m.def("meters", [] {
        py::list list;
        for (const Meter &meter : Meters)
            list.append(std::string(meter.text));
        return list;
    });
    m.def("key_counts", [] {
        py::list list;
        for (const KeyCountWord &k : KeyCounts)
            list.append(py::make_tuple(int(k.choice), std::string(k.word), std::string(k.label)));
        return list;
    });
    m.def("midi_extensions", [] {
        py::list list;
        for (const std::string_view ext : MidiExtensions)
            list.append(std::string(ext));
        return list;
    });
    m.def("track_position", [](int number, const std::string &frontEnd) -> std::optional<int> {
        const std::optional<TrackCount> count = trackCount(frontEnd);
        if (!count)
            throw py::value_error("no front end counts tracks as " + frontEnd);
        return trackPosition(number, *count);
    }, py::arg("number"), py::arg("front_end"), "The track list's position of a front end's track number.");
    m.attr("choosable_tracks") = ChoosableTracks;
    m.def("track_one", [](const std::string &frontEnd) {
        const std::optional<TrackCount> count = trackCount(frontEnd);
        if (!count)
            throw py::value_error("no front end counts tracks as " + frontEnd);
        return trackOne(*count);
    }, py::arg("front_end"), "How a front end numbers \"Track 01\".");
}

} // namespace tunedeck::python
