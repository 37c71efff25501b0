// A VST 2 module loaded once, whose main makes each instance.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/hosting/instrument_plugin.h"
#include "tools/hosting/vst2/module_library.h"
#include "tools/hosting/vst2/vst2_instrument.h"

class Vst2Plugin : public InstrumentPlugin {
 public:
  explicit Vst2Plugin(const std::string& path) : module_(path) {}
  const std::string& name() const override { return module_.path(); }
  std::vector<std::string> files() const override { return {module_.path()}; }
  std::unique_ptr<Instrument> instantiate() override { return std::make_unique<Vst2Instrument>(module_); }

 private:
  ModuleLibrary module_;
};
