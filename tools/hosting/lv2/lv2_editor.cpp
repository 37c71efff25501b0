#include "tools/hosting/lv2/lv2_editor.h"

#include <dlfcn.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <optional>
#include <mutex>

#include "tools/hosting/host_window.h"
#include "tools/hosting/interface_thread.h"
#include "tools/hosting/lv2/lv2_instrument.h"
#include "tools/hosting/lv2/lv2_world.h"
#include "tools/hosting/lv2/urid_map.h"

namespace {

const char* const kOfferedUiFeatures[] = {
    LV2_URID__map, LV2_URID__unmap, LV2_UI__parent, LV2_UI__resize, LV2_UI__idleInterface, LV2_INSTANCE_ACCESS_URI,
    // Properties of the UI itself, which some Turtle files list here.
    LV2_UI__noUserResize, LV2_UI__fixedSize,
};

bool offered(const std::string& feature) {
  for (const char* uri : kOfferedUiFeatures) {
    if (feature == uri) return true;
  }
  return false;
}

ToolError uiError(const Lv2Plugin& plugin, const std::string& problem) {
  return ToolError(kExitBadModule, plugin.name() + ": " + problem);
}

// The descriptor `uri` names in the UI library, or null.
const LV2UI_Descriptor* findDescriptor(void* library, const std::string& uri) {
  const auto function = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
  if (function == nullptr) return nullptr;
  for (uint32_t index = 0;; ++index) {
    const LV2UI_Descriptor* descriptor = function(index);
    if (descriptor == nullptr || uri == descriptor->URI) return descriptor;
  }
}

}  // namespace

EditorUi chooseEditorUi(const Lv2Plugin& plugin) {
  Lv2World& world = Lv2World::instance();
  LilvUIs* all = lilv_plugin_get_uis(plugin.lilvPlugin());
  std::string kinds;
  std::optional<EditorUi> chosen;
  LILV_FOREACH (uis, i, all) {
    const LilvUI* ui = lilv_uis_get(all, i);
    if (lilv_ui_is_a(ui, world.uris().x11Ui)) {
      LilvNodes* required = lilv_world_find_nodes(world.world(), lilv_ui_get_uri(ui), world.uris().requiredFeature, nullptr);
      std::vector<std::string> features;
      LILV_FOREACH (nodes, j, required) features.push_back(nodeText(lilv_nodes_get(required, j)));
      lilv_nodes_free(required);
      chosen = EditorUi{nodeText(lilv_ui_get_uri(ui)), nodePath(lilv_ui_get_binary_uri(ui)),
                        nodePath(lilv_ui_get_bundle_uri(ui)), features};
      break;
    }
    const std::string kind = nodeText(lilv_nodes_get_first(lilv_ui_get_classes(ui)));
    kinds += (kinds.empty() ? "" : ", ") + kind.substr(kind.find('#') + 1);
  }
  lilv_uis_free(all);
  if (chosen) return *chosen;
  if (kinds.empty()) throw uiError(plugin, "the plug-in has no UI");
  throw uiError(plugin, "quorlin-host opens X11 UIs (ui:X11UI); this plug-in's are " + kinds);
}

Lv2Editor::Lv2Editor(Lv2Instrument& instrument, HostWindow& window)
    : instrument_(instrument), window_(window), resizeFeature_{this, resize} {
  const Lv2Plugin& plugin = instrument.plugin();
  const std::lock_guard<std::mutex> lock(interfaceThread());
  ui_ = chooseEditorUi(plugin);
  for (const std::string& feature : ui_.requiredFeatures) {
    if (!offered(feature)) throw uiError(plugin, "its UI requires " + feature + ", which quorlin-host does not give");
  }
  library_ = dlopen(ui_.binary.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) throw uiError(plugin, "cannot load its UI: " + std::string(dlerror()));
  descriptor_ = findDescriptor(library_, ui_.uri);
  if (descriptor_ == nullptr) {
    dlclose(library_);
    throw uiError(plugin, ui_.binary + " does not describe the UI " + ui_.uri);
  }
  try {
    openUi();
  } catch (...) {
    dlclose(library_);
    throw;
  }
  instrument_.setEditor(this);
}

Lv2Editor::~Lv2Editor() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  instrument_.setEditor(nullptr);
  closeUi();
  dlclose(library_);
}

void Lv2Editor::openUi() {
  const Lv2Plugin& plugin = instrument_.plugin();
  features_ = {
      {LV2_URID__map, uridMap()},
      {LV2_URID__unmap, uridUnmap()},
      {LV2_UI__parent, window_.parentHandle()},
      {LV2_UI__resize, &resizeFeature_},
      {LV2_UI__idleInterface, nullptr},
      {LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(instrument_.lilvInstance())},
  };
  featureList_.clear();
  for (const LV2_Feature& feature : features_) featureList_.push_back(&feature);
  featureList_.push_back(nullptr);
  LV2UI_Widget widget = nullptr;
  handle_ = descriptor_->instantiate(descriptor_, plugin.uri().c_str(), ui_.bundle.c_str(), writePort, this, &widget,
                                     featureList_.data());
  if (handle_ == nullptr) throw uiError(plugin, "its UI failed to start (its instantiate answered null)");
  idleInterface_ = nullptr;
  if (descriptor_->extension_data != nullptr) {
    idleInterface_ = static_cast<const LV2UI_Idle_Interface*>(descriptor_->extension_data(LV2_UI__idleInterface));
  }
  window_.fitChild(widget);
  shown_.assign(plugin.ports().size(), 0.0f);
  seen_.assign(plugin.ports().size(), false);
  showChanges();
}

void Lv2Editor::closeUi() {
  if (handle_ != nullptr) descriptor_->cleanup(handle_);
  handle_ = nullptr;
}

bool Lv2Editor::idle() {
  if (handle_ == nullptr) return false;
  showChanges();
  return idleInterface_ == nullptr || idleInterface_->idle(handle_) == 0;
}

void Lv2Editor::showChanges() {
  if (descriptor_->port_event == nullptr) return;
  for (const Lv2Port& port : instrument_.plugin().ports()) {
    // The UI knows the value it wrote; what was published is older until a run takes it.
    if (port.kind != Lv2PortKind::Control || instrument_.waitingRequest(port.index)) continue;
    const float value = instrument_.published(port.index);
    if (seen_[port.index] && std::memcmp(&value, &shown_[port.index], sizeof value) == 0) continue;
    shown_[port.index] = value;
    seen_[port.index] = true;
    descriptor_->port_event(handle_, port.index, sizeof value, 0, &value);
  }
}

void Lv2Editor::writePort(LV2UI_Controller controller, uint32_t index, uint32_t size, uint32_t protocol,
                          const void* buffer) {
  auto& editor = *static_cast<Lv2Editor*>(controller);
  // Protocol 0 is a control port's float; the host ignores the ones it does not speak.
  if (protocol != 0 || size != sizeof(float) || index >= editor.shown_.size()) return;
  float value = 0.0f;
  std::memcpy(&value, buffer, sizeof value);
  editor.instrument_.requestControl(index, value);
  editor.shown_[index] = value;
  editor.seen_[index] = true;
}

int Lv2Editor::resize(LV2UI_Feature_Handle handle, int width, int height) {
  if (width <= 0 || height <= 0) return 1;
  static_cast<Lv2Editor*>(handle)->window_.resize(width, height);
  return 0;
}
