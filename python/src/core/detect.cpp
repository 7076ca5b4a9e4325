#include "detect.h"

#include "core/analysis/analysistexts.h"
#include "core/analysis/chordoutput.h"
#include "core/batch/filenames.h"
#include "core/batch/jsonwriter.h"
#include "core/batch/resultrow.h"
#include "core/batch/summary.h"
#include "core/romantext/romantext.h"
#include "pyjson.h"
#include "run.h"

#include <pybind11/stl.h>

namespace py = pybind11;

namespace tunedeck::python {

namespace {

Notation notationOf(const std::string &word)
{
    const std::optional<Notation> n = parseNotation(word);
    if (!n)
        throw py::value_error("notation is standard, camelot, openkey or german; not " + word);
    return *n;
}

// The object --json prints for the file: "keyNotation" only for another notation than the standard.
nlohmann::json objectOf(const Run &run, const std::string &path, Notation notation)
{
    JsonFields fields;
    fields.transposeLeftOut = run.transposeField;
    if (notation != Notation::Standard)
        fields.notation = notation;
    nlohmann::json o = analysisJson(run.analysis, run.texts, fields);
    batch::putFileName(o, path);
    return o;
}

// The object with a copy that was not written added to its reason, as the command adds it to
// what it printed: read back from its text and written again.
nlohmann::json withCopyFailure(const nlohmann::json &printed, const std::optional<std::string> &why)
{
    if (!why)
        return printed;
    nlohmann::json object = nlohmann::json::parse(batch::JsonArrayWriter::item(printed), nullptr, false);
    if (!object.is_object())
        return printed;
    const std::string reason = object.value("reason", std::string());
    object["reason"] = (reason.empty() ? std::string() : reason + "; ") + *why;
    return object;
}

// The counts and keys a collection run ends with.
struct Tally {
    batch::RunCounts counts;
    batch::KeyTally keys;
};

} // namespace

void registerDetect(py::module_ &m)
{
    py::class_<Run> run = py::reinterpret_borrow<py::class_<Run>>(m.attr("Run"));
    run.def("text", [](const Run &r, bool withProfile) {
        return py::bytes(formatText(r.analysis, r.texts, withProfile));
    }, py::arg("with_profile"), "The lines under the file's name in the command's text.");
    // copy_failure: why a copy of the file was not written, added where the command adds it.
    run.def("json_item", [](const Run &r, const py::bytes &path, const std::string &notation,
                            const std::optional<std::string> &copyFailure) {
        return py::bytes(
            batch::JsonArrayWriter::item(withCopyFailure(objectOf(r, path, notationOf(notation)), copyFailure)));
    }, py::arg("path"), py::arg("notation"), py::arg("copy_failure") = py::none(),
       "The object as --json's array holds it.");
    run.def("json_line", [](const Run &r, const py::bytes &path, const std::string &notation,
                            const std::optional<std::string> &copyFailure) {
        std::string line;
        batch::writeCompact(line, withCopyFailure(objectOf(r, path, notationOf(notation)), copyFailure));
        return py::bytes(line + '\n');
    }, py::arg("path"), py::arg("notation"), py::arg("copy_failure") = py::none(),
       "The object as --format jsonl writes it.");
    run.def("csv_row", [](const Run &r, const py::bytes &path, const std::string &notation,
                          const std::optional<std::string> &copyFailure) {
        batch::FileResult row = batch::resultRow(r.analysis, r.texts, path);
        if (copyFailure)
            row.message = row.message.empty() ? *copyFailure : row.message + "; " + *copyFailure;
        return py::bytes(batch::csvRow(row, notationOf(notation)));
    }, py::arg("path"), py::arg("notation"), py::arg("copy_failure") = py::none());
    run.def("chord_chart", [](const Run &r, bool numerals) {
        return py::bytes(r.analysis.refusal ? std::string()
                                            : chordChartText(r.analysis.chords, r.analysis.bars, numerals));
    }, py::arg("numerals"), "The chart --chords adds to the command's text (--roman: with numerals).");
    run.def("chord_csv_rows", [](const Run &r, const py::bytes &path) {
        return py::bytes(chordCsvRows(std::string(path), r.analysis.chords));
    }, py::arg("path"), "A row a chord, as --chords --format csv prints them.");
    m.def("chord_csv_header", [] { return py::bytes(chordCsvHeader()); });
    run.def("romantext", [](const Run &r, const py::bytes &name) {
        return text(romantext::romanText(r.analysis, name));
    }, py::arg("name"), "The document --format rntxt writes for the file of that name, its extension left out.");
    m.def("csv_header", [](const std::string &notation) { return py::bytes(batch::csvHeader(notationOf(notation))); },
          py::arg("notation"));

    py::class_<Tally>(m, "Tally", "What a collection run counts of its files: the summary line and --summary's keys.")
        .def(py::init<>())
        .def("add", [](Tally &t, const Run &r, const py::bytes &path) {
            const batch::FileResult row = batch::resultRow(r.analysis, r.texts, path);
            t.counts.add(row);
            t.keys.add(row);
        }, py::arg("run"), py::arg("path"))
        .def("copy_not_written", [](Tally &t) { ++t.counts.copiesNotWritten; })
        .def("summary_line", [](Tally &t, std::size_t skipped, double seconds) {
            t.counts.skipped = skipped;
            return batch::summaryLine(t.counts, seconds);
        }, py::arg("skipped"), py::arg("seconds"))
        .def("key_lines", [](const Tally &t, const std::string &notation) {
            return batch::keySummaryLines(t.keys, notationOf(notation));
        }, py::arg("notation"));
}

} // namespace tunedeck::python
