#include "tools/hosting/clap/clap_editor.h"

#include <cstring>
#include <mutex>

#include "tools/hosting/interface_thread.h"
#include "tools/system/tool_error.h"

ClapEditor::ClapEditor(ClapInstrument& instrument, HostWindow& window, const char* api)
    : instrument_(instrument), window_(window), gui_(instrument.extensions().gui) {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  const clap_plugin_t* plugin = instrument_.plugin();
  if (!gui_->create(plugin, api, false)) {
    throw ToolError(kExitBadModule, instrument_.label() + ": the plug-in could not make its editor (its gui create "
                                                          "answered false)");
  }
  uint32_t width = 0, height = 0;
  if (gui_->get_size != nullptr && gui_->get_size(plugin, &width, &height) && width > 0 && height > 0) {
    window_.resize(static_cast<int>(width), static_cast<int>(height));
  }
  clap_window_t parent{};
  parent.api = api;
  if (std::strcmp(api, CLAP_WINDOW_API_X11) == 0) {
    parent.x11 = static_cast<clap_xwnd>(reinterpret_cast<uintptr_t>(window_.parentHandle()));
  } else {
    parent.win32 = window_.parentHandle();
  }
  if (!gui_->set_parent(plugin, &parent)) {
    gui_->destroy(plugin);
    throw ToolError(kExitBadModule, instrument_.label() + ": the plug-in's editor would not open in the host's "
                                                          "window (its gui set_parent answered false)");
  }
  if (gui_->show != nullptr) gui_->show(plugin);
}

ClapEditor::~ClapEditor() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  gui_->destroy(instrument_.plugin());
}

bool ClapEditor::idle() {
  instrument_.serveMainThread();
  uint32_t width = 0, height = 0;
  if (instrument_.host().takeResizeRequest(width, height)) {
    window_.resize(static_cast<int>(width), static_cast<int>(height));
  }
  return !instrument_.host().editorClosed();
}
