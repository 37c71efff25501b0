// The UI library's one export, lv2ui_descriptor, and the descriptor's
// functions, which hand each host call to the Lv2SynthUi. Every one of them
// leaves the host's current OpenGL context as it found it, and no exception
// leaves them.
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <memory>
#include <string>

#include "editor/scene_geometry.h"
#include "lv2/bundle_layout.h"
#include "lv2/feature_data.h"
#include "lv2/lv2_synth_ui.h"
#include "platform/window_system.h"

namespace {

Lv2SynthUi* editorOf(LV2UI_Handle handle) { return static_cast<Lv2SynthUi*>(handle); }

// The title a host may offer for a window of the editor's own.
std::string windowTitle(const LV2_Feature* const* features) {
  const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
  const auto* options = static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options));
  if (map && map->map && options) {
    const LV2_URID titleKey = map->map(map->handle, LV2_UI__windowTitle);
    const LV2_URID stringType = map->map(map->handle, LV2_ATOM__String);
    for (const LV2_Options_Option* option = options; option->key != 0; ++option) {
      if (option->key == titleKey && option->type == stringType && option->value && option->size > 0) {
        const auto* text = static_cast<const char*>(option->value);
        return std::string(text, strnlen(text, option->size));
      }
    }
  }
  return "Quorlin";
}

/// Embeds the editor when the host gives a parent window (and is told its
/// size when it can be resized); without one it waits for show().
LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
  const platform::KeptGlContext hostContext;
  if (widget) *widget = nullptr;
  try {
    auto editor = std::make_unique<Lv2SynthUi>(write, controller, windowTitle(features));
    if (void* parent = const_cast<void*>(featureData(features, LV2_UI__parent))) {
      LV2UI_Widget opened = editor->openIn(parent);
      if (!opened) return nullptr;
      if (widget) *widget = opened;
      const auto* resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));
      if (resize && resize->ui_resize) resize->ui_resize(resize->handle, kEditorWidth, kEditorHeight);
    }
    return editor.release();
  } catch (...) {
    return nullptr;
  }
}

// Runs one host call on the editor with the host's GL context kept; a
// failure inside (no memory for the window system's lists, say) answers
// `onFailure` instead of reaching the host.
template <typename Call>
int guarded(int onFailure, Call call) {
  const platform::KeptGlContext hostContext;
  try {
    return call();
  } catch (...) {
    return onFailure;
  }
}

/// The host is done with the editor: its window goes.
void cleanup(LV2UI_Handle handle) {
  guarded(0, [&] {
    delete editorOf(handle);
    return 0;
  });
}

/// A control port's value changed on the host's side: it only turns a knob.
void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer) {
  editorOf(handle)->portEvent(port, bufferSize, format, buffer);
}

/// Non-zero once the user closed a window of the editor's own, or on failure.
int idle(LV2UI_Handle handle) {
  return guarded(1, [&] { return editorOf(handle)->idle(); });
}

/// The editor in a window of its own, for a host that cannot embed it.
int show(LV2UI_Handle handle) {
  return guarded(1, [&] { return editorOf(handle)->show(); });
}

/// That window goes.
int hide(LV2UI_Handle handle) {
  return guarded(1, [&] { return editorOf(handle)->hide(); });
}

const LV2UI_Idle_Interface kIdleInterface = {idle};
const LV2UI_Show_Interface kShowInterface = {show, hide};

/// The idle and show interfaces.
const void* extensionData(const char* uri) {
  if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
  if (std::strcmp(uri, LV2_UI__showInterface) == 0) return &kShowInterface;
  return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kEditorUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
