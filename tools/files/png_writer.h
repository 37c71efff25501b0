// A small PNG writer for screenshots: 8-bit RGB, no interlacing, the image
// data in stored (uncompressed) deflate blocks, which every PNG reader accepts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // red, green, blue per pixel, top row first
};

/// The whole file's bytes.
std::vector<uint8_t> encodePng(const RgbImage& image);

/// Writes the file whole or not at all, through OutputFile. Throws ToolError.
void writePngFile(const std::string& path, const RgbImage& image);
