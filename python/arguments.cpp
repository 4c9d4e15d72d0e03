#include "python/arguments.h"

#include <string>

namespace py = pybind11;

namespace ripplemoor_python {

namespace {

// "f(): " for a function argument; nothing for a module attribute's own name.
std::string where(const char* function)
{
    return *function ? std::string(function) + "(): " : std::string();
}

std::string typeName(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

[[noreturn]] void wrongType(py::handle value, const char* function, const char* name,
                            const char* wanted)
{
    throw py::type_error(where(function) + name + " must be " + wanted + ", not " +
                         typeName(value));
}

} // namespace

long long integerArgument(py::handle value, const char* function, const char* name, long long lo,
                          long long hi)
{
    if (!PyIndex_Check(value.ptr()))
        wrongType(value, function, name, "an int");
    const py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!index)
        throw py::error_already_set();
    int overflow = 0;
    const long long result = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
    if (result == -1 && PyErr_Occurred())
        throw py::error_already_set();
    if (overflow != 0 || result < lo || result > hi)
        throw py::value_error(where(function) + name + " must lie in " +
                              std::to_string(lo) + " to " + std::to_string(hi) + ", got " +
                              py::repr(value).cast<std::string>());
    return result;
}

double realArgument(py::handle value, const char* function, const char* name)
{
    PyNumberMethods* number = Py_TYPE(value.ptr())->tp_as_number;
    const bool convertible =
        PyIndex_Check(value.ptr()) || (number != nullptr && number->nb_float != nullptr);
    if (!convertible)
        wrongType(value, function, name, "a real number");
    const double result = PyFloat_AsDouble(value.ptr());
    if (result == -1.0 && PyErr_Occurred()) {
        // An int too large for a double.
        PyErr_Clear();
        throw py::value_error(where(function) + name + " is too large for a float");
    }
    return result;
}

std::string textArgument(py::handle value, const char* function, const char* name)
{
    if (!PyUnicode_Check(value.ptr()))
        wrongType(value, function, name, "a str");
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(value.ptr(), &size);
    if (text == nullptr) {
        // Lone surrogates cannot be encoded; no name of ours contains one.
        PyErr_Clear();
        throw py::value_error(where(function) + name + " is not valid text");
    }
    return std::string(text, size_t(size));
}

bool switchArgument(py::handle value, const char* function, const char* name)
{
    // True, False or NumPy's bool_; an int would pass 2 or -1 as "on" unnoticed.
    if (PyBool_Check(value.ptr()))
        return value.ptr() == Py_True;
    if (py::isinstance(value, py::module_::import("numpy").attr("bool_")))
        return value.cast<bool>();
    wrongType(value, function, name, "a bool");
}

} // namespace ripplemoor_python
