// Reads the PNG files quorlin-host writes (8-bit RGB, stored deflate blocks,
// no filtering), checking every CRC and the Adler-32 sum on the way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

/// Throws std::runtime_error naming what is wrong with the file.
PngPicture readPng(const std::vector<uint8_t>& bytes);
PngPicture readPngFile(const std::string& path);
