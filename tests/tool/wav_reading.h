// Reading back the WAV files the tool writes: little-endian fields at their
// fixed offsets, and the samples after the header.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

inline uint32_t littleEndianAt(const std::vector<uint8_t>& bytes, size_t offset, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes.at(offset + i);
  return value;
}

// The float samples of a WAV file written as f32 (58-byte header), interleaved.
inline std::vector<float> floatSamples(const std::vector<uint8_t>& wav) {
  constexpr size_t kFloatHeaderSize = 58;
  std::vector<float> samples;
  for (size_t offset = kFloatHeaderSize; offset + 4 <= wav.size(); offset += 4) {
    const uint32_t bits = littleEndianAt(wav, offset, 4);
    float sample = 0.0f;
    std::memcpy(&sample, &bits, sizeof sample);
    samples.push_back(sample);
  }
  return samples;
}
