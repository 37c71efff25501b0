#include "clap/plugin_state.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t kMagic[4] = {'Q', 'r', 'l', 'S'};
constexpr uint32_t kFormatVersion = 1;
constexpr size_t kHeaderBytes = 8;
constexpr size_t kStateBytes = kHeaderBytes + 4 * kParameterCount;

void putWord(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t wordAt(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
         static_cast<uint32_t>(in[3]) << 24;
}

// A stream may move fewer bytes than asked at each call.
bool writeAll(const clap_ostream_t& stream, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    const int64_t written = stream.write(&stream, bytes, size);
    if (written <= 0 || static_cast<uint64_t>(written) > size) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Reads up to `size` bytes; answers how many came before the stream's end,
// or -1 when it failed.
int64_t readUpTo(const clap_istream_t& stream, uint8_t* bytes, size_t size) {
  size_t got = 0;
  while (got < size) {
    const int64_t read = stream.read(&stream, bytes + got, size - got);
    if (read < 0 || static_cast<uint64_t>(read) > size - got) return -1;
    if (read == 0) break;
    got += static_cast<size_t>(read);
  }
  return static_cast<int64_t>(got);
}

}  // namespace

bool writeState(const clap_ostream_t& stream, const ParameterSet& values) {
  if (!stream.write) return false;
  uint8_t bytes[kStateBytes];
  std::memcpy(bytes, kMagic, sizeof kMagic);
  putWord(bytes + 4, kFormatVersion);
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    const float value = finiteEquivalent(static_cast<ParameterIndex>(parameter), values[parameter]);
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putWord(bytes + kHeaderBytes + 4 * parameter, bits);
  }
  return writeAll(stream, bytes, sizeof bytes);
}

// One byte more than a state is asked for: a stream that has it holds
// something else.
bool readState(const clap_istream_t& stream, ParameterSet& values) {
  if (!stream.read) return false;
  uint8_t bytes[kStateBytes + 1];
  if (readUpTo(stream, bytes, sizeof bytes) != static_cast<int64_t>(kStateBytes)) return false;
  if (std::memcmp(bytes, kMagic, sizeof kMagic) != 0 || wordAt(bytes + 4) != kFormatVersion) return false;
  ParameterSet read;
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    const uint32_t bits = wordAt(bytes + kHeaderBytes + 4 * parameter);
    std::memcpy(&read[parameter], &bits, sizeof bits);
    if (!std::isfinite(read[parameter])) return false;
  }
  std::memcpy(values, read, sizeof read);
  return true;
}
