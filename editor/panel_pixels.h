// The panel texture the module carries as resource "IDR_BIN1" of type "BIN":
// 512 by 512 pixels of red, green, blue bytes, top row first, no padding.
#pragma once

#include <cstdint>

constexpr int kPanelSize = 512;
constexpr uint32_t kPanelBytes = kPanelSize * kPanelSize * 3;

/// The copy the texture uploads read, while at least one editor is open; else null.
extern uint8_t* panelPixels;

/// Copies the panel out of the module's resource into panelPixels.
void loadPanelPixels();
void freePanelPixels();
