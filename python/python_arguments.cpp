#include "python/python_arguments.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/files/number_text.h"
#include "tools/system/tool_error.h"

namespace py = pybind11;

std::optional<std::string> optionalPath(py::handle value) {
  if (value.is_none()) return std::nullopt;
  return pathArgument(value);
}

std::string pathArgument(py::handle value) {
  return py::module_::import("os").attr("fsdecode")(value).cast<std::string>();
}

double realArgument(py::handle value, const std::string& what) {
  if (!PyNumber_Check(value.ptr()) || PyComplex_Check(value.ptr())) {
    throw py::type_error(what + " needs a number, not " + py::repr(value).cast<std::string>());
  }
  const double number = PyFloat_AsDouble(value.ptr());
  if (PyErr_Occurred() != nullptr) throw py::error_already_set();
  return number;
}

int64_t wholeArgument(py::handle value, const std::string& what) {
  // Beyond int64's range a whole number is held at its end, which every range check then refuses.
  constexpr double kLargest = 9.2e18;
  if (PyIndex_Check(value.ptr())) {
    const auto index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!index) throw py::error_already_set();
    int overflow = 0;
    const long long whole = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
    return overflow == 0 ? whole : overflow > 0 ? INT64_MAX : INT64_MIN;
  }
  const double number = realArgument(value, what);
  if (number != std::floor(number) || !std::isfinite(number)) {
    throw ToolError(kExitBadInput, what + " needs a whole number, not " + pythonNumber(number));
  }
  return static_cast<int64_t>(std::clamp(number, -kLargest, kLargest));
}
