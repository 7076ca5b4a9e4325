#include "pyjson.h"

namespace py = pybind11;

namespace tunedeck::python {

void registerByteWise()
{
    // Qt's decoder, which wrote the command's text, replaces each byte on its own; Python's
    // "replace" takes a broken sequence as one.
    py::module_::import("codecs").attr("register_error")(
        ByteWise, py::cpp_function([](const py::object &error) {
            return py::make_tuple(py::str("\uFFFD"), error.attr("start").cast<Py_ssize_t>() + 1);
        }));
}

py::str text(const std::string &bytes)
{
    PyObject *s = PyUnicode_DecodeUTF8(bytes.data(), Py_ssize_t(bytes.size()), ByteWise);
    if (!s)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(s);
}

py::object toPython(const nlohmann::json &value)
{
    using Type = nlohmann::json::value_t;
    switch (value.type()) {
    case Type::null:
    case Type::discarded: return py::none();
    case Type::boolean: return py::bool_(value.get<bool>());
    case Type::number_integer: return py::int_(value.get<std::int64_t>());
    case Type::number_unsigned: return py::int_(value.get<std::uint64_t>());
    case Type::number_float: return py::float_(value.get<double>());
    case Type::string: return text(value.get_ref<const std::string &>());
    case Type::array: {
        py::list list(value.size());
        std::size_t i = 0;
        for (const nlohmann::json &item : value)
            list[i++] = toPython(item);
        return std::move(list);
    }
    case Type::object: {
        py::dict dict;
        for (const auto &[key, item] : value.items())
            dict[text(key)] = toPython(item);
        return std::move(dict);
    }
    case Type::binary: break;
    }
    throw py::type_error("the core's JSON holds binary data");
}

} // namespace tunedeck::python
