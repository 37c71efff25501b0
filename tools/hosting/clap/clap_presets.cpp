#include "tools/hosting/clap/clap_presets.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "clap/interface/clap_abi_preset_discovery.h"

namespace {

// What a provider declares to the indexer in its init.
struct Declarations {
  std::vector<std::string> extensions;  // without the dot; an empty one matches every file
  std::vector<clap_preset_discovery_location_t> locations;
  std::vector<std::string> locationTexts;  // the locations' paths, kept while the provider lives
};

// A preset as the receiver is told of it, with the plug-ins it is for.
struct Found {
  ClapPreset preset;
  std::vector<std::string> pluginIds;
};

// The host's side of discovery: the indexer a provider declares to, and the
// receiver of a location's presets. They are called by the module, so no
// exception may leave them: out of memory, a declaration or a preset is lost.
class Discovery {
 public:
  Discovery() {
    indexer_ = {CLAP_VERSION, "quorlin-host", "Quorlin", "", QUORLIN_VERSION, this,
                declareFiletype, declareLocation, declareSoundpack, indexerExtension};
    // The optional metadata is not kept, but every call is answered.
    using Receiver = clap_preset_discovery_metadata_receiver_t;
    receiver_ = {this,
                 [](const Receiver*, int32_t, const char*) {},
                 beginPreset,
                 addPluginId,
                 [](const Receiver*, const char*) {},
                 [](const Receiver*, uint32_t) {},
                 [](const Receiver*, const char*) {},
                 [](const Receiver*, const char*) {},
                 [](const Receiver*, clap_timestamp, clap_timestamp) {},
                 [](const Receiver*, const char*) {},
                 [](const Receiver*, const char*, const char*) {}};
  }

  const clap_preset_discovery_indexer_t* indexer() { return &indexer_; }
  Declarations& declarations() { return declarations_; }
  std::vector<Found>& found() { return found_; }

  // The presets the provider names in a location; `fileName` names a preset
  // that a file holds alone, when the provider gives it no name.
  void read(const clap_preset_discovery_provider_t* provider, const clap_preset_discovery_location_t& location,
            const std::string& file) {
    location_ = location.kind;
    file_ = file;
    provider->get_metadata(provider, location.kind, location.kind == CLAP_PRESET_DISCOVERY_LOCATION_FILE ? file.c_str() : nullptr,
                           &receiver_);
  }

 private:
  static Discovery& of(const clap_preset_discovery_indexer_t* indexer) { return *static_cast<Discovery*>(indexer->indexer_data); }
  static Discovery& of(const clap_preset_discovery_metadata_receiver_t* receiver) {
    return *static_cast<Discovery*>(receiver->receiver_data);
  }

  static bool CLAP_ABI declareFiletype(const clap_preset_discovery_indexer_t* indexer,
                                       const clap_preset_discovery_filetype_t* filetype) {
    if (filetype == nullptr) return false;
    try {
      of(indexer).declarations_.extensions.push_back(filetype->file_extension != nullptr ? filetype->file_extension : "");
      return true;
    } catch (...) {
      return false;
    }
  }

  static bool CLAP_ABI declareLocation(const clap_preset_discovery_indexer_t* indexer,
                                       const clap_preset_discovery_location_t* location) {
    const bool inFile = location != nullptr && location->kind == CLAP_PRESET_DISCOVERY_LOCATION_FILE;
    if (location == nullptr || (inFile && location->location == nullptr) ||
        (!inFile && location->kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN)) {
      return false;
    }
    try {
      Declarations& declarations = of(indexer).declarations_;
      declarations.locations.push_back(*location);
      declarations.locationTexts.push_back(inFile ? location->location : "");
      return true;
    } catch (...) {
      return false;
    }
  }

  static bool CLAP_ABI declareSoundpack(const clap_preset_discovery_indexer_t*, const clap_preset_discovery_soundpack_t*) {
    return true;
  }

  static const void* CLAP_ABI indexerExtension(const clap_preset_discovery_indexer_t*, const char*) { return nullptr; }

  static bool CLAP_ABI beginPreset(const clap_preset_discovery_metadata_receiver_t* receiver, const char* name,
                                   const char* loadKey) {
    Discovery& self = of(receiver);
    try {
      Found found;
      const bool inModule = self.location_ == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN;
      found.preset.inModule = inModule;
      found.preset.location = self.file_;
      found.preset.name = name != nullptr ? name : std::filesystem::path(self.file_).stem().string();
      if (loadKey != nullptr) found.preset.loadKey = loadKey;
      self.found_.push_back(std::move(found));
      return true;
    } catch (...) {
      return false;
    }
  }

  static void CLAP_ABI addPluginId(const clap_preset_discovery_metadata_receiver_t* receiver,
                                   const clap_universal_plugin_id_t* plugin) {
    Discovery& self = of(receiver);
    if (self.found_.empty() || plugin == nullptr || plugin->abi == nullptr || plugin->id == nullptr) return;
    if (std::string(plugin->abi) != "clap") return;
    try {
      self.found_.back().pluginIds.push_back(plugin->id);
    } catch (...) {
    }
  }

  clap_preset_discovery_indexer_t indexer_;
  clap_preset_discovery_metadata_receiver_t receiver_;
  Declarations declarations_;
  std::vector<Found> found_;
  uint32_t location_ = CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN;
  std::string file_;
};

bool matches(const std::filesystem::path& file, const std::vector<std::string>& extensions) {
  if (extensions.empty()) return true;
  for (const std::string& extension : extensions) {
    if (extension.empty() || file.extension() == "." + extension) return true;
  }
  return false;
}

// The files of a FILE location: the file itself, or the matching files in
// and below the folder, in name order so that the list is the same every time.
std::vector<std::string> presetFiles(const std::string& location, const std::vector<std::string>& extensions) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::is_directory(location, error)) return {location};
  std::vector<std::string> files;
  fs::recursive_directory_iterator entry(location, fs::directory_options::skip_permission_denied, error);
  for (; !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
    if (entry->is_regular_file(error) && matches(entry->path(), extensions)) files.push_back(entry->path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

const clap_preset_discovery_factory_t* discoveryFactory(const ClapModule& module) {
  for (const char* id : {CLAP_PRESET_DISCOVERY_FACTORY_ID, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT}) {
    if (const void* factory = module.factory(id)) return static_cast<const clap_preset_discovery_factory_t*>(factory);
  }
  return nullptr;
}

void readProvider(const clap_preset_discovery_factory_t* factory, const char* providerId, Discovery& discovery) {
  discovery.declarations() = Declarations();
  const clap_preset_discovery_provider_t* provider = factory->create(factory, discovery.indexer(), providerId);
  if (provider == nullptr) return;
  if (provider->init != nullptr && provider->init(provider) && provider->get_metadata != nullptr) {
    const Declarations declarations = discovery.declarations();
    for (size_t i = 0; i < declarations.locations.size(); ++i) {
      const clap_preset_discovery_location_t& location = declarations.locations[i];
      if (location.kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN) {
        discovery.read(provider, location, "");
        continue;
      }
      for (const std::string& file : presetFiles(declarations.locationTexts[i], declarations.extensions)) {
        discovery.read(provider, location, file);
      }
    }
  }
  if (provider->destroy != nullptr) provider->destroy(provider);
}

}  // namespace

std::vector<ClapPreset> discoverPresets(const ClapModule& module, const std::string& pluginId) {
  const clap_preset_discovery_factory_t* factory = discoveryFactory(module);
  if (factory == nullptr || factory->count == nullptr || factory->get_descriptor == nullptr || factory->create == nullptr) {
    return {};
  }
  Discovery discovery;
  const uint32_t count = factory->count(factory);
  for (uint32_t index = 0; index < count; ++index) {
    const clap_preset_discovery_provider_descriptor_t* descriptor = factory->get_descriptor(factory, index);
    if (descriptor != nullptr && descriptor->id != nullptr) readProvider(factory, descriptor->id, discovery);
  }
  std::vector<ClapPreset> presets;
  for (const Found& found : discovery.found()) {
    const bool forThisPlugin = found.pluginIds.empty() ||
                               std::find(found.pluginIds.begin(), found.pluginIds.end(), pluginId) != found.pluginIds.end();
    if (forThisPlugin) presets.push_back(found.preset);
  }
  return presets;
}

bool loadPreset(const clap_plugin_t* plugin, const clap_plugin_preset_load_t* presetLoad, const ClapPreset& preset) {
  if (presetLoad == nullptr || presetLoad->from_location == nullptr) return false;
  return presetLoad->from_location(
      plugin, preset.inModule ? CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN : CLAP_PRESET_DISCOVERY_LOCATION_FILE,
      preset.inModule ? nullptr : preset.location.c_str(), preset.loadKey ? preset.loadKey->c_str() : nullptr);
}
