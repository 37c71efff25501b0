#include "vst2/instrument/program_chunk.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t kMagic[4] = {'Q', 'r', 'l', 'C'};
constexpr uint32_t kFormatVersion = 1;

uint8_t* putWord(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
  return out + 4;
}

uint32_t wordAt(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
         static_cast<uint32_t>(in[3]) << 24;
}

uint8_t* putHeader(uint8_t* out, int32_t size, int32_t count, int32_t current) {
  std::memcpy(out, kMagic, sizeof kMagic);
  out = putWord(out + sizeof kMagic, kFormatVersion);
  out = putWord(out, static_cast<uint32_t>(size));
  out = putWord(out, static_cast<uint32_t>(count));
  return putWord(out, static_cast<uint32_t>(current));
}

// A host may store any float through setParameter, but a blob must never
// hold a value it would itself refuse: such a value is written as the finite
// one it sounds as. A name that has no terminator within its 24 bytes (it
// cannot get one through setProgramName) is cut one short, as getProgramName
// cuts it.
uint8_t* putProgram(uint8_t* out, const ProgramRecord& program) {
  for (int i = 0; i < kParameterCount; ++i) {
    const float value = finiteEquivalent(static_cast<ParameterIndex>(i), program.values[i]);
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    out = putWord(out, bits);
  }
  const size_t length = strnlen(program.name, ProgramRecord::kNameLimit - 1);
  std::memcpy(out, program.name, length);
  std::memset(out + length, 0, ProgramRecord::kNameLimit - length);
  return out + ProgramRecord::kNameLimit;
}

// The header of a blob of `byteSize` bytes that announces `count` programs;
// answers the current program it names, or -1 when the header does not fit.
int32_t checkHeader(const uint8_t* in, int32_t byteSize, int32_t count, int32_t expectedSize) {
  if (byteSize != expectedSize || std::memcmp(in, kMagic, sizeof kMagic) != 0) return -1;
  if (wordAt(in + 4) != kFormatVersion || wordAt(in + 8) != static_cast<uint32_t>(expectedSize) ||
      wordAt(in + 12) != static_cast<uint32_t>(count)) {
    return -1;
  }
  const uint32_t current = wordAt(in + 16);
  return current < static_cast<uint32_t>(count) ? static_cast<int32_t>(current) : -1;
}

bool readProgram(const uint8_t* in, ProgramRecord& program) {
  for (Relaxed<float>& slot : program.values) {
    const uint32_t bits = wordAt(in);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) return false;
    slot = value;
    in += 4;
  }
  const char* name = reinterpret_cast<const char*>(in);
  const size_t length = strnlen(name, ProgramRecord::kNameLimit);
  if (length == ProgramRecord::kNameLimit) return false;
  for (size_t i = length; i < ProgramRecord::kNameLimit; ++i) {
    if (name[i] != '\0') return false;
  }
  std::memset(program.name, 0, sizeof program.name);
  std::memcpy(program.name, name, length);
  return true;
}

}  // namespace

int32_t ProgramChunk::encodeBank(const ProgramRecord* programs, int32_t current) {
  uint8_t* out = putHeader(bytes, kBankSize, kProgramCount, current);
  for (int i = 0; i < kProgramCount; ++i) out = putProgram(out, programs[i]);
  return kBankSize;
}

int32_t ProgramChunk::encodeProgram(const ProgramRecord& program) {
  putProgram(putHeader(bytes, kSingleProgramSize, 1, 0), program);
  return kSingleProgramSize;
}

bool decodeBank(const void* data, int32_t byteSize, ProgramBank& bank) {
  if (!data) return false;
  const uint8_t* in = static_cast<const uint8_t*>(data);
  const int32_t current = checkHeader(in, byteSize, kProgramCount, ProgramChunk::kBankSize);
  if (current < 0) return false;
  ProgramBank read;
  read.current = current;
  for (int i = 0; i < kProgramCount; ++i) {
    if (!readProgram(in + ProgramChunk::kHeaderBytes + i * ProgramChunk::kProgramBytes, read.programs[i])) return false;
  }
  bank = read;
  return true;
}

bool decodeProgram(const void* data, int32_t byteSize, ProgramRecord& program) {
  if (!data) return false;
  const uint8_t* in = static_cast<const uint8_t*>(data);
  if (checkHeader(in, byteSize, 1, ProgramChunk::kSingleProgramSize) < 0) return false;
  ProgramRecord read;
  if (!readProgram(in + ProgramChunk::kHeaderBytes, read)) return false;
  program = read;
  return true;
}
