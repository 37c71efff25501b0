#include "tools/hosting/lv2/lv2_plugin.h"

#include <algorithm>
#include <mutex>

#include "tools/hosting/interface_thread.h"
#include "tools/hosting/lv2/lv2_host_features.h"
#include "tools/hosting/lv2/lv2_instrument.h"
#include "tools/hosting/lv2/lv2_ports.h"
#include "tools/hosting/lv2/lv2_world.h"

namespace {

bool hasMidiInput(const std::vector<Lv2Port>& ports) {
  return std::any_of(ports.begin(), ports.end(), [](const Lv2Port& port) { return port.midiInput; });
}

std::string uriOf(const LilvPlugin* plugin) { return nodeText(lilv_plugin_get_uri(plugin)); }

// Of a bundle's plug-ins, the one instrument; of a URI, its plug-in.
const LilvPlugin* chooseInstrument(Lv2World& world, const std::string& name) {
  const std::vector<const LilvPlugin*> plugins = world.findPlugins(name);
  if (plugins.size() == 1) return plugins.front();
  std::vector<const LilvPlugin*> instruments;
  std::string uris;
  for (const LilvPlugin* plugin : plugins) {
    if (!hasMidiInput(readPorts(world, plugin))) continue;
    instruments.push_back(plugin);
    uris += (uris.empty() ? "" : " ") + uriOf(plugin);
  }
  if (instruments.size() == 1) return instruments.front();
  if (instruments.empty()) {
    throw ToolError(kExitBadModule, name + ": the bundle holds no instrument (no plug-in with a MIDI input)");
  }
  throw ToolError(kExitBadModule, name + ": the bundle holds " + std::to_string(instruments.size()) +
                                      " instruments; name one by its URI: " + uris);
}

}  // namespace

Lv2Plugin::Lv2Plugin(const std::string& name) : name_(name) {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  Lv2World& world = Lv2World::instance();
  plugin_ = chooseInstrument(world, name);
  uri_ = uriOf(plugin_);
  LilvNode* label = lilv_plugin_get_name(plugin_);
  label_ = label != nullptr ? nodeText(label) : uri_;
  lilv_node_free(label);
  ports_ = readPorts(world, plugin_);
  if (!hasMidiInput(ports_)) {
    throw ToolError(kExitBadModule, name + ": " + uri_ + " has no MIDI input, so it is no instrument");
  }
  LilvNodes* required = lilv_plugin_get_required_features(plugin_);
  LILV_FOREACH (nodes, i, required) {
    const std::string feature = nodeText(lilv_nodes_get(required, i));
    if (!isOfferedFeature(feature)) {
      lilv_nodes_free(required);
      throw ToolError(kExitBadModule, name + ": the plug-in requires " + feature + ", which quorlin-host does not give");
    }
  }
  lilv_nodes_free(required);
  files_ = {nodePath(lilv_plugin_get_library_uri(plugin_))};
}

std::unique_ptr<Instrument> Lv2Plugin::instantiate() { return std::make_unique<Lv2Instrument>(*this); }

std::unique_ptr<InstrumentPlugin> loadLv2Plugin(const std::string& name) { return std::make_unique<Lv2Plugin>(name); }
