#include "choices.h"

#include "core/analysis/choicetable.h"
#include "core/base/choices.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace py = pybind11;

namespace tunedeck::python {

namespace {

bool isNumber(const std::string &word)
{
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Words that are numbers are ints in Python, and the one that is not (keys' "unknown") None.
bool numericWords(const ChoiceRow &row)
{
    for (const ChoiceWord &w : row.words)
        if (isNumber(w.word))
            return true;
    return false;
}

// "track takes 1 to 12 (...), or None for all tracks; not 13", with the type for a TypeError.
std::string refusal(const ChoiceRow &row, const py::handle &value, bool withType, std::string_view takes = {})
{
    std::string said = row.python + " takes " + (takes.empty() ? pythonTakes(row) : std::string(takes)) + "; not " +
                       py::repr(value).cast<std::string>();
    if (withType)
        said += " (" + value.get_type().attr("__name__").cast<std::string>() + ")";
    return said;
}

bool isInstance(const py::handle &value, const char *module, const char *type)
{
    return py::isinstance(value, py::module_::import(module).attr(type));
}

// A whole number (not a bool), as numbers.Integral counts them; TypeError otherwise.
py::int_ integral(const ChoiceRow &row, const py::handle &value)
{
    if (py::isinstance<py::bool_>(value) || !isInstance(value, "numbers", "Integral"))
        throw py::type_error(refusal(row, value, true));
    return py::int_(py::reinterpret_borrow<py::object>(value));
}

bool within(const py::int_ &number, double low, double high)
{
    return !(number < py::int_(long(low))) && !(number > py::int_(long(high)));
}

ChoiceValue trackValue(const ChoiceRow &row, const py::handle &value)
{
    if (value.is_none())
        return AllTracks;
    const py::int_ number = integral(row, value);
    const int one = trackOne(TrackCount::Python);
    if (!within(number, row.low + one, row.high + one))
        throw py::value_error(refusal(row, value, false));
    return number.cast<int>() - one;
}

ChoiceValue wordValue(const ChoiceRow &row, const py::handle &value)
{
    if (!numericWords(row)) {
        if (!py::isinstance<py::str>(value))
            throw py::type_error(refusal(row, value, false, pythonTakes(row) + " as a str"));
        if (const std::optional<ChoiceValue> v = tunedeck::wordValue(row, value.cast<std::string>()))
            return *v;
        throw py::value_error(refusal(row, value, false));
    }
    for (const ChoiceWord &w : row.words)
        if (!isNumber(w.word) && (value.is_none() || (py::isinstance<py::str>(value) && value.cast<std::string>() == w.word)))
            return w.value;
    const py::int_ number = integral(row, value);
    for (const ChoiceWord &w : row.words)
        if (isNumber(w.word) && number.equal(py::int_(std::stol(w.word))))
            return w.value;
    throw py::value_error(refusal(row, value, false));
}

ChoiceValue channelsValue(const ChoiceRow &row, const py::handle &value)
{
    if (py::isinstance<py::str>(value) || py::isinstance<py::bytes>(value) ||
        !isInstance(value, "collections.abc", "Iterable"))
        throw py::type_error(refusal(row, value, false));
    py::set channels;
    for (const py::handle c : value)
        channels.add(integral(row, c));
    const py::list sorted = py::module_::import("builtins").attr("sorted")(channels);
    int mask = 0;
    for (const py::handle c : sorted) {
        if (!within(py::reinterpret_borrow<py::int_>(c), row.low, row.high))
            throw py::value_error(refusal(row, sorted, false));
        mask |= 1 << c.cast<int>();
    }
    return mask;
}

// A value as Python gives it, checked as the row says.
ChoiceValue pythonValue(const ChoiceRow &row, const py::handle &value)
{
    switch (row.kind) {
    case ChoiceKind::Switch:
        if (!py::isinstance<py::bool_>(value) && !isInstance(value, "numpy", "bool_"))
            throw py::type_error(refusal(row, value, true));
        return py::cast<bool>(value) ? 1 : 0;
    case ChoiceKind::Track: return trackValue(row, value);
    case ChoiceKind::Words: return wordValue(row, value);
    case ChoiceKind::Whole: {
        const py::int_ number = integral(row, value);
        if (!within(number, row.low, row.high))
            throw py::value_error(refusal(row, value, false));
        return number.cast<int>();
    }
    case ChoiceKind::Real: {
        if (py::isinstance<py::bool_>(value) || !isInstance(value, "numbers", "Real"))
            throw py::type_error(refusal(row, value, true));
        const double number = value.cast<double>();
        if (!inRange(row, number))
            throw py::value_error(refusal(row, value, false));
        return number;
    }
    case ChoiceKind::Channels: return channelsValue(row, value);
    }
    return 0;
}

// A value as Python spells it: None for every track and for "unknown" keys, the meter's word...
py::object pythonSpelling(const ChoiceRow &row, ChoiceValue value)
{
    switch (row.kind) {
    case ChoiceKind::Switch: return py::bool_(value != 0);
    case ChoiceKind::Track:
        return value == AllTracks ? py::object(py::none()) : py::int_(int(value) + trackOne(TrackCount::Python));
    case ChoiceKind::Words: {
        const std::string word = wordOf(row, value);
        if (!numericWords(row))
            return py::str(word);
        return isNumber(word) ? py::object(py::int_(std::stoi(word))) : py::object(py::none());
    }
    case ChoiceKind::Whole: return py::int_(int(value));
    case ChoiceKind::Real: return py::float_(value);
    case ChoiceKind::Channels: {
        py::list channels;
        for (int c = 0; c < 16; ++c)
            if ((int(value) >> c) & 1)
                channels.append(c);
        return py::tuple(channels);
    }
    }
    return py::none();
}

Options optionsOf(const py::object &given, const py::kwargs &keywords)
{
    py::dict all;
    if (!given.is_none())
        all = py::dict(given);
    for (const auto [key, value] : keywords)
        all[key] = value;
    Options o;
    bool transposeField = false;
    for (const auto [key, value] : all) {
        const std::string name = key.cast<std::string>();
        if (name == "with_profile")
            o.choices.withProfile = py::cast<bool>(value);
        else if (name == "transpose_field")
            transposeField = py::cast<bool>(value);
        else if (!pythonChoice(name))
            throw py::type_error("Options() got an unexpected keyword argument '" + name + "'");
    }
    for (const ChoiceRow &row : choiceTable())
        if (!row.python.empty() && all.contains(row.python))
            row.set(o.choices, pythonValue(row, all[py::str(row.python)]));
    o.transposeGiven = o.choices.fast.adjust.transpose != 0 || transposeField;
    return o;
}

py::dict spelt(const AnalysisChoices &choices)
{
    py::dict out;
    for (const ChoiceRow &row : choiceTable())
        if (!row.python.empty())
            out[py::str(row.python)] = pythonSpelling(row, row.get(choices));
    return out;
}

} // namespace

void registerChoices(py::module_ &m)
{
    py::class_<Options>(m, "Options")
        .def(py::init(&optionsOf), py::arg("choices") = py::none(), py::pos_only())
        .def("choices", [](const Options &o) { return spelt(o.choices); },
             "The choices as checked, a keyword each, in the table's order.")
        .def_static("defaults", [] { return spelt(AnalysisChoices{}); },
                    "Each keyword with its default, in the table's order.");
}

} // namespace tunedeck::python
