// Python arguments read in the tool's terms, refused with Python's own
// exceptions: TypeError for the wrong kind of object, ValueError (through
// ToolError) for a value out of range.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>

// A str, bytes or os.PathLike as a path; None as none.
std::optional<std::string> optionalPath(pybind11::handle value);
std::string pathArgument(pybind11::handle value);

// A real number.
double realArgument(pybind11::handle value, const std::string& what);
// An int, or a float with a whole value (from a row of a float array).
int64_t wholeArgument(pybind11::handle value, const std::string& what);
