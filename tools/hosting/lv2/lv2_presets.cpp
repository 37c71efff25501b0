#include "tools/hosting/lv2/lv2_presets.h"

#include <lv2/state/state.h>

#include <mutex>
#include <vector>

#include "tools/files/preset_file.h"
#include "tools/hosting/interface_thread.h"
#include "tools/hosting/lv2/lv2_instrument.h"
#include "tools/hosting/lv2/lv2_world.h"
#include "tools/hosting/lv2/urid_map.h"
#include "tools/system/output_folder.h"
#include "tools/system/system_services.h"

namespace {

ToolError badPreset(const std::string& preset, const std::string& problem) {
  return ToolError(kExitBadInput, preset + ": " + problem);
}

bool isInside(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// The presets for `plugin` whose Turtle lies in the bundle folder.
std::vector<const LilvNode*> presetsInBundle(Lv2World& world, const LilvNodes* presets, const std::string& folder) {
  std::vector<const LilvNode*> found;
  LILV_FOREACH (nodes, i, presets) {
    const LilvNode* preset = lilv_nodes_get(presets, i);
    LilvNode* file = lilv_world_get(world.world(), preset, world.uris().seeAlso, nullptr);
    if (isInside(nodePath(file), folder)) found.push_back(preset);
    lilv_node_free(file);
  }
  return found;
}

LilvState* presetFromBundle(Lv2World& world, const Lv2Plugin& plugin, const std::string& folder) {
  LilvNode* bundle = world.loadBundle(folder, kExitBadInput);
  const std::string path = nodePath(bundle);
  lilv_node_free(bundle);
  LilvNodes* presets = lilv_plugin_get_related(plugin.lilvPlugin(), world.uris().preset);
  const std::vector<const LilvNode*> found = presetsInBundle(world, presets, path.substr(0, path.size() - 1));
  LilvState* state = nullptr;
  std::string uris;
  for (const LilvNode* preset : found) uris += (uris.empty() ? "" : " ") + nodeText(preset);
  if (found.size() == 1) {
    lilv_world_load_resource(world.world(), found.front());
    state = lilv_state_new_from_world(world.world(), uridMap(), found.front());
  }
  lilv_nodes_free(presets);
  if (found.empty()) throw badPreset(folder, "holds no LV2 preset for " + plugin.uri());
  if (found.size() > 1) throw badPreset(folder, "holds several presets; name one by its URI: " + uris);
  if (state == nullptr) throw badPreset(folder, "its preset could not be read");
  return state;
}

LilvState* presetFromUri(Lv2World& world, const std::string& uri) {
  LilvNode* node = lilv_new_uri(world.world(), uri.c_str());
  // A preset saved as a file names itself by its file's URI; its bundle,
  // which says what it is, may lie off the LV2 path.
  const std::string file = nodePath(node);
  if (!file.empty() && identifyFile(file).exists) lilv_node_free(world.loadBundle(file.substr(0, file.rfind('/')), kExitBadInput));
  lilv_world_load_resource(world.world(), node);
  LilvState* state = lilv_state_new_from_world(world.world(), uridMap(), node);
  lilv_node_free(node);
  if (state == nullptr) throw badPreset(uri, "no LV2 preset of that URI (info lists a plug-in's presets)");
  return state;
}

// What the instance held when it was asked; written into a folder of its own
// that takes the bundle's name only once it is complete.
class Lv2SavedState : public SavedState {
 public:
  Lv2SavedState(LilvState* state, std::string path) : state_(state, lilv_state_free), path_(std::move(path)) {}

  void write() override {
    OutputFolder folder(path_);
    const std::string name = presetName(path_);
    int failed = 0;
    {
      const std::lock_guard<std::mutex> lock(interfaceThread());
      Lv2World& world = Lv2World::instance();
      failed = lilv_state_save(world.world(), uridMap(), uridUnmap(), state_.get(), nullptr,
                               folder.temporaryPath().c_str(), (name + ".ttl").c_str());
    }
    if (failed != 0) throw ToolError(kExitCannotWrite, path_ + ": the preset could not be written");
    folder.commit();
  }

  // NAME of NAME.preset.lv2, which names the preset and its Turtle file.
  static std::string presetName(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t slash = path.rfind('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    return file.substr(0, file.size() - std::string(".preset.lv2").size());
  }

 private:
  std::unique_ptr<LilvState, decltype(&lilv_state_free)> state_;
  std::string path_;
};

}  // namespace

LilvState* readPreset(const Lv2Plugin& plugin, const std::string& preset) {
  if (presetKindForFileName(preset)) {
    throw badPreset(preset, ".fxp and .fxb presets are VST 2's; an LV2 plug-in takes an LV2 preset's URI or bundle");
  }
  Lv2World& world = Lv2World::instance();
  const FileIdentity file = identifyFile(preset);
  if (file.exists && !file.isDirectory) throw badPreset(preset, "not an LV2 preset bundle (a folder) nor a preset's URI");
  LilvState* state = file.exists ? presetFromBundle(world, plugin, preset) : presetFromUri(world, preset);
  const std::string owner = nodeText(lilv_state_get_plugin_uri(state));
  if (owner != plugin.uri()) {
    lilv_state_free(state);
    throw badPreset(preset, "a preset for " + owner + ", not for " + plugin.uri());
  }
  return state;
}

std::unique_ptr<SavedState> savePresetBundle(Lv2Instrument& instrument, const LV2_Feature* const* features,
                                             const std::string& path) {
  LilvState* state = lilv_state_new_from_instance(
      instrument.plugin().lilvPlugin(), instrument.lilvInstance(), uridMap(), nullptr, nullptr, nullptr, nullptr,
      Lv2Instrument::portValue, &instrument, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features);
  if (state == nullptr) throw ToolError(kExitBadModule, path + ": the plug-in's state could not be taken");
  lilv_state_set_label(state, Lv2SavedState::presetName(path).c_str());
  return std::make_unique<Lv2SavedState>(state, path);
}
