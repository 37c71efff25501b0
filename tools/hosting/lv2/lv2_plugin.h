// An LV2 instrument found once on the LV2 path or in a bundle, from which
// each instance is made. Everything the host must know of it before the
// first instance (its ports, whether it is an instrument, the features it
// requires) is read and judged here, so that a plug-in the host cannot run
// is refused before anything is rendered.
#pragma once

#include <lilv/lilv.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/hosting/instrument_description.h"
#include "tools/hosting/instrument_plugin.h"

class Lv2Plugin : public InstrumentPlugin {
 public:
  // Throws ToolError (kExitBadModule) as loadLv2Plugin says.
  explicit Lv2Plugin(const std::string& name);

  const std::string& name() const override { return name_; }
  std::vector<std::string> files() const override { return files_; }
  std::unique_ptr<Instrument> instantiate() override;

  const LilvPlugin* lilvPlugin() const { return plugin_; }
  const std::string& uri() const { return uri_; }
  // The plug-in's own name, which starts its log messages.
  const std::string& label() const { return label_; }
  const std::vector<Lv2Port>& ports() const { return ports_; }

 private:
  std::string name_;
  const LilvPlugin* plugin_ = nullptr;
  std::string uri_;
  std::string label_;
  std::vector<std::string> files_;
  std::vector<Lv2Port> ports_;
};

// The instrument an LV2 bundle folder or URI names. Throws ToolError
// (kExitBadModule) with one line for a bundle or URI that is not there, a
// bundle whose Turtle does not parse, a bundle of several instruments (the
// line lists their URIs), a plug-in without a MIDI input, or one that
// requires a feature the host does not give (the line names its URI).
std::unique_ptr<InstrumentPlugin> loadLv2Plugin(const std::string& name);
