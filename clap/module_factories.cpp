#include "clap/module_factories.h"

#include <cstring>

#include "clap/plugin_calls.h"
#include "clap/plugin_descriptor.h"
#include "clap/preset_discovery.h"

namespace {

uint32_t CLAP_ABI pluginCount(const clap_plugin_factory_t*) { return 1; }

const clap_plugin_descriptor_t* CLAP_ABI pluginDescriptor(const clap_plugin_factory_t*, uint32_t index) {
  return index == 0 ? &kPluginDescriptor : nullptr;
}

/// A new instance of Quorlin, the only plug-in here.
const clap_plugin_t* CLAP_ABI create(const clap_plugin_factory_t*, const clap_host_t* host, const char* id) {
  return id && std::strcmp(id, kPluginId) == 0 ? createPlugin(host) : nullptr;
}

const clap_plugin_factory_t kPluginFactory = {pluginCount, pluginDescriptor, create};

bool is(const char* id, const char* known) { return std::strcmp(id, known) == 0; }

}  // namespace

const void* moduleFactory(const char* id) {
  if (!id) return nullptr;
  if (is(id, CLAP_PLUGIN_FACTORY_ID)) return &kPluginFactory;
  if (is(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) || is(id, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT)) {
    return &kPresetDiscoveryFactory;
  }
  return nullptr;
}
