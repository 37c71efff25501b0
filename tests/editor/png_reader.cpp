#include "png_reader.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

uint32_t bigEndian(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// CRC-32 bit by bit: slow, and written independently of the writer's table.
uint32_t crc32(const uint8_t* bytes, size_t count) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::vector<uint8_t> inflateStored(const std::vector<uint8_t>& zlib) {
  if (zlib.size() < 6 || (zlib[0] & 0x0F) != 8 || ((zlib[0] << 8) | zlib[1]) % 31 != 0) {
    throw std::runtime_error("PNG: not a zlib stream");
  }
  std::vector<uint8_t> out;
  size_t at = 2;
  bool last = false;
  while (!last) {
    if (at + 5 > zlib.size()) throw std::runtime_error("PNG: image data cut short");
    last = zlib[at] & 1;
    if ((zlib[at] >> 1) != 0) throw std::runtime_error("PNG: only stored deflate blocks are read");
    const size_t length = zlib[at + 1] | (zlib[at + 2] << 8);
    if ((length ^ (zlib[at + 3] | (zlib[at + 4] << 8))) != 0xFFFF) throw std::runtime_error("PNG: bad block length");
    at += 5;
    if (at + length > zlib.size()) throw std::runtime_error("PNG: image data cut short");
    out.insert(out.end(), zlib.begin() + static_cast<long>(at), zlib.begin() + static_cast<long>(at + length));
    at += length;
  }
  if (at + 4 != zlib.size()) throw std::runtime_error("PNG: stray bytes after the image data");
  uint32_t a = 1, b = 0;
  for (uint8_t byte : out) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  if (((b << 16) | a) != bigEndian(&zlib[at])) throw std::runtime_error("PNG: Adler-32 mismatch");
  return out;
}

}  // namespace

PngPicture readPng(const std::vector<uint8_t>& bytes) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 8 || !std::equal(kSignature, kSignature + 8, bytes.begin())) {
    throw std::runtime_error("PNG: no signature");
  }
  PngPicture picture;
  std::vector<uint8_t> zlib;
  bool ended = false;
  for (size_t at = 8; !ended;) {
    if (at + 12 > bytes.size()) throw std::runtime_error("PNG: chunk cut short");
    const uint32_t length = bigEndian(&bytes[at]);
    if (at + 12 + length > bytes.size()) throw std::runtime_error("PNG: chunk cut short");
    const std::string type(bytes.begin() + static_cast<long>(at + 4), bytes.begin() + static_cast<long>(at + 8));
    const uint8_t* data = &bytes[at + 8];
    if (crc32(&bytes[at + 4], 4 + length) != bigEndian(data + length)) throw std::runtime_error("PNG: bad CRC in " + type);
    if (type == "IHDR") {
      picture.width = static_cast<int>(bigEndian(data));
      picture.height = static_cast<int>(bigEndian(data + 4));
      if (data[8] != 8 || data[9] != 2 || data[12] != 0) throw std::runtime_error("PNG: not 8-bit RGB without interlace");
    } else if (type == "IDAT") {
      zlib.insert(zlib.end(), data, data + length);
    } else if (type == "IEND") {
      ended = true;
    }
    at += 12 + length;
  }
  const std::vector<uint8_t> raw = inflateStored(zlib);
  const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
  if (raw.size() != (rowBytes + 1) * static_cast<size_t>(picture.height)) throw std::runtime_error("PNG: wrong data size");
  for (int row = 0; row < picture.height; ++row) {
    const auto begin = raw.begin() + static_cast<long>(row * (rowBytes + 1));
    if (*begin != 0) throw std::runtime_error("PNG: filtered rows are not read");
    picture.rgb.insert(picture.rgb.end(), begin + 1, begin + 1 + static_cast<long>(rowBytes));
  }
  return picture;
}

PngPicture readPngFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return readPng(std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
}
