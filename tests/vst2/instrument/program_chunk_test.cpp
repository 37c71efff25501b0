// The chunk blob: its bytes laid out field by field, and every way a blob can
// be unfit, each of which must leave the reader's target untouched. (A blob
// of the other kind, no data and sizes of 0 or less are refused through the
// loaded module, in tests/module/chunks_test.cpp.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "vst2/instrument/program_chunk.h"

namespace {

using Bytes = std::vector<uint8_t>;

void appendWord(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void appendFloat(Bytes& out, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  appendWord(out, bits);
}

void appendName(Bytes& out, const char* name) {
  Bytes slot(24, 0);
  std::memcpy(slot.data(), name, std::strlen(name));
  out.insert(out.end(), slot.begin(), slot.end());
}

ProgramRecord program(float first, const char* name) {
  ProgramRecord record;
  for (int i = 0; i < kParameterCount; ++i) record.values[i] = first + 0.125f * static_cast<float>(i);
  std::memset(record.name, 0, sizeof record.name);
  std::strcpy(record.name, name);
  return record;
}

// The blob written out by hand: header, then each program's values and name.
Bytes handWritten(const std::vector<ProgramRecord>& programs, uint32_t current) {
  Bytes out = {'Q', 'r', 'l', 'C'};
  appendWord(out, 1);
  appendWord(out, static_cast<uint32_t>(20 + 56 * programs.size()));
  appendWord(out, static_cast<uint32_t>(programs.size()));
  appendWord(out, current);
  for (const ProgramRecord& record : programs) {
    for (float value : record.values) appendFloat(out, value);
    appendName(out, record.name);
  }
  return out;
}

Bytes blobOf(ProgramChunk& chunk, int32_t size) { return Bytes(chunk.data(), chunk.data() + size); }

bool sameProgram(const ProgramRecord& a, const ProgramRecord& b) {
  return std::memcmp(a.values, b.values, sizeof a.values) == 0 && std::strcmp(a.name, b.name) == 0;
}

const std::vector<ProgramRecord> kBank = {program(0.0f, "Bass"), program(0.25f, "Pad"), program(-1.5f, ""),
                                          program(3.0f, "twenty-three characters")};

TEST(ProgramChunkLayout, BankAndProgramAreLaidOutFieldByFieldLittleEndian) {
  ProgramChunk chunk;
  EXPECT_EQ(blobOf(chunk, chunk.encodeBank(kBank.data(), 2)), handWritten(kBank, 2));
  EXPECT_EQ(blobOf(chunk, chunk.encodeProgram(kBank[1])), handWritten({kBank[1]}, 0));
}

TEST(ProgramChunkLayout, WhatIsEncodedDecodesBitForBit) {
  ProgramChunk chunk;
  ProgramBank bank;
  ASSERT_TRUE(decodeBank(chunk.data(), chunk.encodeBank(kBank.data(), 3), bank));
  EXPECT_EQ(bank.current, 3);
  for (int i = 0; i < kProgramCount; ++i) EXPECT_TRUE(sameProgram(bank.programs[i], kBank[i])) << i;

  ProgramRecord single;
  ASSERT_TRUE(decodeProgram(chunk.data(), chunk.encodeProgram(kBank[3]), single));
  EXPECT_TRUE(sameProgram(single, kBank[3]));
}

struct Damage {
  const char* what;
  std::function<void(Bytes&)> apply;
  int32_t sizeChange;  // what the host announces beyond the real size
};

void putWordAt(Bytes& blob, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) blob[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void putFloatAt(Bytes& blob, size_t offset, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  putWordAt(blob, offset, bits);
}

// Offsets in a blob: the first program's values start at 20, its name at 52.
const std::vector<Damage> kDamages = {
    {"wrong magic", [](Bytes& b) { b[3] = 'c'; }, 0},
    {"a later version", [](Bytes& b) { putWordAt(b, 4, 2); }, 0},
    {"announced size one short", [](Bytes& b) { putWordAt(b, 8, static_cast<uint32_t>(b.size() - 1)); }, 0},
    {"handed over one byte short", [](Bytes&) {}, -1},
    {"handed over with a byte more", [](Bytes& b) { b.push_back(0); }, 0},
    {"program count 3", [](Bytes& b) { putWordAt(b, 12, 3); }, 0},
    {"current program out of range", [](Bytes& b) { putWordAt(b, 16, 4); }, 0},
    {"a NaN value", [](Bytes& b) { putFloatAt(b, 48, std::numeric_limits<float>::quiet_NaN()); }, 0},
    {"an infinite value", [](Bytes& b) { putFloatAt(b, 20, -std::numeric_limits<float>::infinity()); }, 0},
    {"a name without terminator", [](Bytes& b) { std::memset(&b[52], 'x', 24); }, 0},
    {"bytes after a name's terminator", [](Bytes& b) { b[52 + 23] = 'x'; }, 0},
};

TEST(ProgramChunkRefusal, EveryUnfitBankIsRefusedAndTheTargetKept) {
  ProgramChunk chunk;
  const Bytes good = blobOf(chunk, chunk.encodeBank(kBank.data(), 1));
  for (const Damage& damage : kDamages) {
    Bytes blob = good;
    damage.apply(blob);
    ProgramBank target;
    target.current = 2;
    target.programs[0] = kBank[3];
    EXPECT_FALSE(decodeBank(blob.data(), static_cast<int32_t>(blob.size()) + damage.sizeChange, target)) << damage.what;
    EXPECT_EQ(target.current, 2) << damage.what;
    EXPECT_TRUE(sameProgram(target.programs[0], kBank[3])) << damage.what;
  }
}

TEST(ProgramChunkRefusal, EveryUnfitProgramIsRefusedAndTheTargetKept) {
  ProgramChunk chunk;
  const Bytes good = blobOf(chunk, chunk.encodeProgram(kBank[0]));
  for (const Damage& damage : kDamages) {
    if (std::strcmp(damage.what, "current program out of range") == 0) continue;  // a bank's field
    Bytes blob = good;
    damage.apply(blob);
    ProgramRecord target = kBank[2];
    EXPECT_FALSE(decodeProgram(blob.data(), static_cast<int32_t>(blob.size()) + damage.sizeChange, target))
        << damage.what;
    EXPECT_TRUE(sameProgram(target, kBank[2])) << damage.what;
  }
}

}  // namespace
