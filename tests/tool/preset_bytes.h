// Building .fxp and .fxb files byte by byte for the tests, every field
// big-endian and in the order hosts write them, so that each test file is
// visible in the test that uses it.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "midi_bytes.h"

inline Bytes fourCharacters(const char* text) { return Bytes(text, text + 4); }

inline Bytes bigEndianFloat(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bigEndian(bits, 4);
}

inline Bytes nameField(const std::string& name) {
  Bytes field(name.begin(), name.end());
  field.resize(28, 0);
  return field;
}

// 'CcnK' and the byte size of what follows it.
inline Bytes presetFile(const Bytes& body) {
  return fourCharacters("CcnK") + bigEndian(static_cast<uint32_t>(body.size()), 4) + body;
}

// The fields every program and bank start with after their kind: version, ID,
// plug-in version and a count.
inline Bytes presetHeader(const char* kind, uint32_t version, const char* id, uint32_t count) {
  return fourCharacters(kind) + bigEndian(version, 4) + fourCharacters(id) + bigEndian(1, 4) + bigEndian(count, 4);
}

inline Bytes valuesProgram(const char* id, const std::string& name, const std::vector<float>& values) {
  Bytes body = presetHeader("FxCk", 1, id, static_cast<uint32_t>(values.size())) + nameField(name);
  for (float value : values) body = body + bigEndianFloat(value);
  return presetFile(body);
}

inline Bytes chunkProgram(const char* id, const std::string& name, uint32_t parameters, const Bytes& chunk) {
  return presetFile(presetHeader("FPCh", 1, id, parameters) + nameField(name) +
                    bigEndian(static_cast<uint32_t>(chunk.size()), 4) + chunk);
}

// The 128 reserved bytes of a bank: version 2 gives the first four to the current program.
inline Bytes bankReserved(uint32_t version, uint32_t current) {
  return bigEndian(version == 2 ? current : 0, 4) + Bytes(124, 0);
}

inline Bytes valuesBank(const char* id, uint32_t version, uint32_t current, const std::vector<Bytes>& programs) {
  Bytes body = presetHeader("FxBk", version, id, static_cast<uint32_t>(programs.size())) + bankReserved(version, current);
  for (const Bytes& program : programs) body = body + program;
  return presetFile(body);
}

inline Bytes chunkBank(const char* id, uint32_t version, uint32_t current, uint32_t programs, const Bytes& chunk) {
  return presetFile(presetHeader("FBCh", version, id, programs) + bankReserved(version, current) +
                    bigEndian(static_cast<uint32_t>(chunk.size()), 4) + chunk);
}
