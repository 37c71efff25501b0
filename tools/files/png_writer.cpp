#include "tools/files/png_writer.h"

#include <algorithm>

#include "tools/files/whole_file.h"

namespace {

constexpr size_t kStoredBlockLimit = 65535;  // bytes a stored deflate block can hold

uint32_t crc32(const uint8_t* bytes, size_t count, uint32_t crc = 0) {
  static const auto table = [] {
    std::vector<uint32_t> entries(256);
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  crc = ~crc;
  for (size_t i = 0; i < count; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t adler32(const std::vector<uint8_t>& bytes) {
  uint32_t a = 1, b = 0;
  for (uint8_t byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  putBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  putBigEndian(out, crc32(&out[typeAt], 4 + data.size()));
}

// A zlib stream of stored blocks.
std::vector<uint8_t> storedZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t length = std::min(kStoredBlockLimit, raw.size() - at);
    const bool last = at + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<uint8_t>(length));
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.push_back(static_cast<uint8_t>(~length));
    out.push_back(static_cast<uint8_t>(~length >> 8));
    out.insert(out.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + length));
    at += length;
  } while (at < raw.size());
  putBigEndian(out, adler32(raw));
  return out;
}

}  // namespace

std::vector<uint8_t> encodePng(const RgbImage& image) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  putBigEndian(header, static_cast<uint32_t>(image.width));
  putBigEndian(header, static_cast<uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter choice, no interlace
  putChunk(out, "IHDR", header);

  const size_t rowBytes = static_cast<size_t>(image.width) * 3;
  std::vector<uint8_t> raw;
  raw.reserve((rowBytes + 1) * static_cast<size_t>(image.height));
  for (int row = 0; row < image.height; ++row) {
    raw.push_back(0);  // filter: none
    const auto begin = image.pixels.begin() + static_cast<long>(row * rowBytes);
    raw.insert(raw.end(), begin, begin + static_cast<long>(rowBytes));
  }
  putChunk(out, "IDAT", storedZlib(raw));
  putChunk(out, "IEND", {});
  return out;
}

void writePngFile(const std::string& path, const RgbImage& image) { writeWholeFile(path, encodePng(image)); }
