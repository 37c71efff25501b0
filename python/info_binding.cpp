// quorlin.info(): what `quorlin-host info --json` prints, as a dict: the same
// JSON, read by Python's json module.
#include <pybind11/pybind11.h>

#include <memory>
#include <optional>
#include <string>

#include "python/bindings.h"
#include "python/python_arguments.h"
#include "python/quorlin_bundle.h"
#include "tools/hosting/description_json.h"
#include "tools/hosting/plugin_description.h"

namespace py = pybind11;

namespace {

const char* const kInfoDoc = R"(info(path=None, preset=None) -> dict

Describes an instrument as `quorlin-host info --json` does: a VST 2 module's
identity, flags, programs, parameters, what it can do and its output pins; an
LV2 plug-in's URI, ports with their ranges, features, presets and UIs. path
names the plug-in as Instrument's does (None: Quorlin itself); with a preset
(VST 2), every program's values after loading it are there too.)";

py::object describe(const py::object& path, const py::object& preset) {
  const std::optional<std::string> plugin = optionalPath(path);
  const std::string presetPath = preset.is_none() ? "" : pathArgument(preset);
  std::string json;
  {
    py::gil_scoped_release release;
    const std::unique_ptr<InstrumentPlugin> loaded = loadInstrumentPlugin(plugin ? *plugin : quorlinBundlePath());
    json = describeAsJson(describePlugin(*loaded, presetPath));
  }
  return py::module_::import("json").attr("loads")(json);
}

}  // namespace

void bindInfo(py::module_& module) {
  module.def("info", &describe, kInfoDoc, py::arg("path") = py::none(), py::arg("preset") = py::none());
}
