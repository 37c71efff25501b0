// quorlin._quorlin, the extension module that the package quorlin (python/
// quorlin/__init__.py) takes its functions and its class from.
#include <pybind11/pybind11.h>

#include "python/bindings.h"

PYBIND11_MODULE(_quorlin, module) {
  module.doc() = "Renders instruments into numpy arrays: see the package quorlin.";
  // The docstrings start with the signatures as Python writes them.
  pybind11::options options;
  options.disable_function_signatures();
  bindErrors(module);
  bindInstrument(module);
  bindInfo(module);
  bindOneShots(module);
}
