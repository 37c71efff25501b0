// How the tool's failures reach Python: each as the exception a Python user
// expects, carrying the tool's own one-line message.
//
//   a file or folder that is not there     FileNotFoundError
//   a bad value, name, preset, note, MIDI  ValueError
//   a file that cannot be written          OSError
//   a plug-in refused, or failing          quorlin.PluginError
#include "python/bindings.h"

#include "tools/system/tool_error.h"

namespace py = pybind11;

void bindErrors(py::module_& module) {
  // Never destroyed: the interpreter may be gone by the time statics are.
  static auto* pluginError = new py::exception<ToolError>(module, "PluginError");
  pluginError->doc() = "A plug-in that cannot be loaded, refuses to start or fails while it runs.";
  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const MissingFile& error) {
      PyErr_SetString(PyExc_FileNotFoundError, error.what());
    } catch (const ToolError& error) {
      if (error.status() == kExitBadInput) {
        PyErr_SetString(PyExc_ValueError, error.what());
      } else if (error.status() == kExitCannotWrite) {
        PyErr_SetString(PyExc_OSError, error.what());
      } else {
        (*pluginError)(error.what());
      }
    }
  });
}
