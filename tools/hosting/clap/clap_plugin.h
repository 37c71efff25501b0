// A plug-in of a CLAP module, from which the host makes instances. It is
// named by its file (FILE.clap, when the file holds one plug-in), by its file
// and id (FILE.clap#ID), or by its id alone, looked for as clap_search.h says.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/hosting/clap/clap_module.h"
#include "tools/hosting/instrument_plugin.h"

class ClapPlugin : public InstrumentPlugin {
 public:
  // Throws ToolError (kExitBadModule) when the module cannot be loaded, holds
  // no plug-in of the id named, or holds several and none is named (the line
  // then lists their ids).
  explicit ClapPlugin(const std::string& name);
  ~ClapPlugin() override;

  const std::string& name() const override { return name_; }
  std::vector<std::string> files() const override { return {module_->path()}; }
  std::unique_ptr<Instrument> instantiate() override;

 private:
  std::string name_;
  std::shared_ptr<ClapModule> module_;
  const clap_plugin_descriptor_t* descriptor_ = nullptr;
};

// Whether `name` names a CLAP plug-in: a file ending in .clap, FILE.clap#ID,
// or, when no such file exists, a dotted id with no folder in it
// (com.example.synth) that does not end as a VST 2 module or an LV2 bundle
// does (.so, .dll, .lv2).
bool namesClapPlugin(const std::string& name);
