#pragma once

// Checks of the arguments that Python hands the module. Each failure raises the
// exception a Python user expects (TypeError for a wrong type, ValueError for a
// value out of range) with a message naming the function and the argument.

#include <pybind11/pybind11.h>

#include <string>

namespace ripplemoor_python {

// A Python int, or anything with __index__ (NumPy integers, bool); not a float.
long long integerArgument(pybind11::handle value, const char* function, const char* name,
                          long long lo, long long hi);

// A Python float or int, or anything with __float__ (NumPy floats); not a str.
double realArgument(pybind11::handle value, const char* function, const char* name);

std::string textArgument(pybind11::handle value, const char* function, const char* name);

// True or False (Python's or NumPy's); not an int.
bool switchArgument(pybind11::handle value, const char* function, const char* name);

} // namespace ripplemoor_python
