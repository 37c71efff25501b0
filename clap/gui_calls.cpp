// The gui extension: the panel embedded in the host's window, 300 by 200
// pixels, never resized, never floating. Every call leaves the host's
// current OpenGL context as it found it (the panel draws with one of its
// own), answers false when the host makes it off its main thread, and lets
// no exception out.
#include "clap/gui_calls.h"

#include <cstdint>
#include <cstring>

#include "clap/clap_synth_editor.h"
#include "clap/clap_synth_plugin.h"
#include "editor/scene_geometry.h"
#include "platform/window_system.h"

namespace {

#ifdef _WIN32
constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
void* windowOf(const clap_window_t& window) { return window.win32; }
#else
constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
void* windowOf(const clap_window_t& window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11)); }
#endif

bool isOurApi(const char* api) { return api && std::strcmp(api, kWindowApi) == 0; }

// Runs one gui call on the main thread with the host's GL context kept; a
// failure inside (no memory for the window system's lists, say) answers false.
template <typename Call>
bool onMainThread(const clap_plugin_t* plugin, Call call) {
  ClapSynthPlugin& instrument = *ClapSynthPlugin::of(plugin);
  if (!instrument.hostServices().onMainThread()) return false;
  const platform::KeptGlContext hostContext;
  try {
    return call(instrument);
  } catch (...) {
    return false;
  }
}

/// Only our platform's window system, embedded.
bool CLAP_ABI isApiSupported(const clap_plugin_t*, const char* api, bool isFloating) {
  return !isFloating && isOurApi(api);
}

bool CLAP_ABI preferredApi(const clap_plugin_t*, const char** api, bool* isFloating) {
  if (!api || !isFloating) return false;
  *api = kWindowApi;
  *isFloating = false;
  return true;
}

/// The panel's knobs and the host's timer; the window comes with set_parent.
bool CLAP_ABI create(const clap_plugin_t* plugin, const char* api, bool isFloating) {
  if (isFloating || !isOurApi(api)) return false;
  return onMainThread(plugin, [](ClapSynthPlugin& instrument) { return instrument.createEditor(); });
}

/// The panel's window goes, and its timer.
void CLAP_ABI destroy(const clap_plugin_t* plugin) {
  onMainThread(plugin, [](ClapSynthPlugin& instrument) {
    instrument.destroyEditor();
    return true;
  });
}

/// Ignored: the panel is drawn at its size in pixels.
bool CLAP_ABI setScale(const clap_plugin_t*, double) { return false; }

bool CLAP_ABI size(const clap_plugin_t*, uint32_t* width, uint32_t* height) {
  if (!width || !height) return false;
  *width = kEditorWidth;
  *height = kEditorHeight;
  return true;
}

/// Not resizable, so no hints and no size adjusted.
bool CLAP_ABI noResizing(const clap_plugin_t*) { return false; }
bool CLAP_ABI noResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; }
bool CLAP_ABI noAdjustedSize(const clap_plugin_t*, uint32_t*, uint32_t*) { return false; }

/// Only the panel's own size.
bool CLAP_ABI setSize(const clap_plugin_t*, uint32_t width, uint32_t height) {
  return width == kEditorWidth && height == kEditorHeight;
}

/// The panel's window inside the host's.
bool CLAP_ABI setParent(const clap_plugin_t* plugin, const clap_window_t* window) {
  if (!window || !isOurApi(window->api)) return false;
  return onMainThread(plugin, [&](ClapSynthPlugin& instrument) {
    return instrument.editor() && instrument.editor()->embedIn(windowOf(*window));
  });
}

/// Floating windows only.
bool CLAP_ABI setTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
void CLAP_ABI suggestTitle(const clap_plugin_t*, const char*) {}

/// The panel shows and hides with the host's window it lives in.
bool CLAP_ABI showOrHide(const clap_plugin_t* plugin) {
  return onMainThread(plugin, [](ClapSynthPlugin& instrument) { return instrument.editor() != nullptr; });
}

/// The editor follows the values and reads its window's events.
void CLAP_ABI onTimer(const clap_plugin_t* plugin, clap_id timer) {
  onMainThread(plugin, [&](ClapSynthPlugin& instrument) {
    ClapSynthEditor* editor = instrument.editor();
    if (editor && editor->ownsTimer(timer)) editor->onTimer();
    return true;
  });
}

}  // namespace

const clap_plugin_gui_t kGuiCalls = {isApiSupported, preferredApi,   create,    destroy,   setScale,
                                     size,           noResizing,     noResizeHints, noAdjustedSize, setSize,
                                     setParent,      setTransient,   suggestTitle, showOrHide, showOrHide};

const clap_plugin_timer_support_t kTimerCalls = {onTimer};
