#include "clap/preset_discovery.h"

#include <cstring>
#include <new>

#include "clap/plugin_descriptor.h"
#include "engine/factory_sounds.h"

namespace {

const clap_preset_discovery_provider_descriptor_t kProviderDescriptor = {
    CLAP_VERSION, "quorlin.instrument.factory-sounds", "Quorlin factory sounds", "Quorlin"};

// A provider remembers the indexer it was created for.
struct Provider {
  clap_preset_discovery_provider_t record;
  const clap_preset_discovery_indexer_t* indexer;
};

const clap_preset_discovery_indexer_t* indexerOf(const clap_preset_discovery_provider_t* provider) {
  return static_cast<const Provider*>(provider->provider_data)->indexer;
}

/// Declares the one location: inside the plug-in, factory content.
bool CLAP_ABI init(const clap_preset_discovery_provider_t* provider) {
  const clap_preset_discovery_indexer_t* indexer = indexerOf(provider);
  const clap_preset_discovery_location_t location = {CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT,
                                                     kProviderDescriptor.name, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
                                                     nullptr};
  return indexer->declare_location && indexer->declare_location(indexer, &location);
}

void CLAP_ABI destroy(const clap_preset_discovery_provider_t* provider) {
  delete static_cast<const Provider*>(provider->provider_data);
}

/// The four sounds, each Quorlin's, until the receiver wants no more.
bool CLAP_ABI metadata(const clap_preset_discovery_provider_t*, uint32_t kind, const char*,
                       const clap_preset_discovery_metadata_receiver_t* receiver) {
  if (kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || !receiver || !receiver->begin_preset) return false;
  const clap_universal_plugin_id_t quorlin = {"clap", kPluginId};
  for (const FactorySound& sound : kFactorySounds) {
    if (!receiver->begin_preset(receiver, sound.name, sound.slug)) break;
    if (receiver->add_plugin_id) receiver->add_plugin_id(receiver, &quorlin);
    if (receiver->set_flags) receiver->set_flags(receiver, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
  }
  return true;
}

const void* CLAP_ABI noExtension(const clap_preset_discovery_provider_t*, const char*) { return nullptr; }

uint32_t CLAP_ABI providerCount(const clap_preset_discovery_factory_t*) { return 1; }

const clap_preset_discovery_provider_descriptor_t* CLAP_ABI providerDescriptor(
    const clap_preset_discovery_factory_t*, uint32_t index) {
  return index == 0 ? &kProviderDescriptor : nullptr;
}

/// A provider for the host's indexer; it calls the indexer only from init on.
const clap_preset_discovery_provider_t* CLAP_ABI createProvider(const clap_preset_discovery_factory_t*,
                                                                const clap_preset_discovery_indexer_t* indexer,
                                                                const char* id) {
  if (!indexer || !id || std::strcmp(id, kProviderDescriptor.id) != 0) return nullptr;
  auto* provider = new (std::nothrow) Provider{{&kProviderDescriptor, nullptr, init, destroy, metadata, noExtension},
                                               indexer};
  if (!provider) return nullptr;
  provider->record.provider_data = provider;
  return &provider->record;
}

}  // namespace

const clap_preset_discovery_factory_t kPresetDiscoveryFactory = {providerCount, providerDescriptor, createProvider};
