// A plug-in found and loaded once, from which a host makes instances: a VST 2
// module, an LV2 plug-in named by its bundle or URI, or a CLAP plug-in named
// by its file or id.
#pragma once

#include <memory>
#include <string>

#include "tools/hosting/instrument.h"
#include "tools/system/tool_error.h"

// The plug-in made no further instance, perhaps only while others are alive
// (the Quorlin module allows eight at a time).
class InstanceRefused : public ToolError {
 public:
  using ToolError::ToolError;
};

class InstrumentPlugin {
 public:
  virtual ~InstrumentPlugin() = default;
  // The plug-in as it was named: a module's path, a bundle or a URI.
  virtual const std::string& name() const = 0;
  // The files the plug-in is made of, which no output may replace.
  virtual std::vector<std::string> files() const = 0;
  // A new instance. Throws InstanceRefused when the plug-in makes none, and
  // ToolError (kExitBadModule) for one that is not a working instrument.
  virtual std::unique_ptr<Instrument> instantiate() = 0;
};

// Loads the plug-in `name` names: a CLAP module file (FILE.clap, or
// FILE.clap#ID for one of the plug-ins it holds) or a CLAP plug-in's id, an
// LV2 bundle folder (one holding a manifest.ttl) or an LV2 plug-in's URI,
// otherwise a VST 2 module file.
// Throws ToolError (kExitBadModule) when it cannot be found or loaded.
std::unique_ptr<InstrumentPlugin> loadInstrumentPlugin(const std::string& name);

// The plug-in a host takes when none is named: the Quorlin VST 2 module
// beside the executable, or the installed one.
std::string defaultPluginName();
