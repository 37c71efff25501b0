#include "editor/panel_pixels.h"

#include <cstring>
#include <new>

#include "platform/module_instance.h"
#include "platform/module_resource.h"

uint8_t* panelPixels = nullptr;

void loadPanelPixels() {
  panelPixels = new (std::nothrow) uint8_t[kPanelBytes];
  if (!panelPixels) return;
  uint32_t size = 0;
  const uint8_t* resource = platform::loadModuleResource(moduleInstance, "IDR_BIN1", "BIN", &size);
  if (resource && size >= kPanelBytes) {
    std::memcpy(panelPixels, resource, kPanelBytes);
    return;
  }
  // Without its resource the panel shows as its plain red background rather
  // than whatever the buffer held.
  for (uint32_t i = 0; i < kPanelBytes; i += 3) {
    panelPixels[i] = 255;
    panelPixels[i + 1] = 0;
    panelPixels[i + 2] = 0;
  }
}

void freePanelPixels() {
  delete[] panelPixels;
  panelPixels = nullptr;
}
