// The pixel format a window's OpenGL drawing asks for, laid out as Win32's
// PIXELFORMATDESCRIPTOR so the Windows layer hands it over unchanged and the
// X11 layer reads the same fields to choose a GLX visual.
#pragma once

#include <cstdint>

namespace platform {

struct PixelFormatDescriptor {
  uint16_t nSize;
  uint16_t nVersion;
  uint32_t dwFlags;
  uint8_t iPixelType;
  uint8_t cColorBits;
  uint8_t cRedBits;
  uint8_t cRedShift;
  uint8_t cGreenBits;
  uint8_t cGreenShift;
  uint8_t cBlueBits;
  uint8_t cBlueShift;
  uint8_t cAlphaBits;
  uint8_t cAlphaShift;
  uint8_t cAccumBits;
  uint8_t cAccumRedBits;
  uint8_t cAccumGreenBits;
  uint8_t cAccumBlueBits;
  uint8_t cAccumAlphaBits;
  uint8_t cDepthBits;
  uint8_t cStencilBits;
  uint8_t cAuxBuffers;
  uint8_t iLayerType;
  uint8_t bReserved;
  uint32_t dwLayerMask;
  uint32_t dwVisibleMask;
  uint32_t dwDamageMask;
};
static_assert(sizeof(PixelFormatDescriptor) == 40, "a pixel format descriptor is 40 bytes");

// Flag and type values as Win32 numbers them.
enum : uint32_t {
  pfdDoubleBuffer = 0x00000001,
  pfdDrawToWindow = 0x00000004,
  pfdSupportOpenGl = 0x00000020,
};
enum : uint8_t {
  pfdTypeRgba = 0,
  pfdMainPlane = 0,
};

}  // namespace platform
