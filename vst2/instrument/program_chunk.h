// The instrument's state as one block of bytes, for hosts that save and
// restore a plug-in through chunks: all four programs and the number of the
// current one (a bank), or the current program alone.
//
// Layout, every number little-endian on every machine:
//
//   offset  size  field
//        0     4  magic "QrlC"
//        4     4  format version, 1
//        8     4  byte size of the whole blob
//       12     4  programs that follow: 4 in a bank, 1 for one program
//       16     4  current program in a bank (0..3); 0 for one program
//       20        per program: 8 float32 parameter values, then a 24-byte
//                 name, its terminator within them and zeros after it
//
// A value that is not a finite number (a host can store one through
// setParameter) is written as the finite value it sounds as, so that every
// blob handed out is taken back. A later format keeps the magic and raises the version, so it can still tell
// these blobs apart and read them. A reader takes a blob only when every field
// fits (magic, version, announced size equal to the size handed over, count,
// current program, finite values, terminated and zero-padded names): a
// foreign or damaged blob is refused whole.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vst2/instrument/program_record.h"

struct ProgramBank {
  ProgramRecord programs[kProgramCount];
  int32_t current = 0;
};

class ProgramChunk {
 public:
  static constexpr int32_t kHeaderBytes = 20;
  static constexpr int32_t kProgramBytes = kParameterCount * 4 + ProgramRecord::kNameLimit;
  static constexpr int32_t kBankSize = kHeaderBytes + kProgramCount * kProgramBytes;
  static constexpr int32_t kSingleProgramSize = kHeaderBytes + kProgramBytes;

  // Encode into this object's bytes, which stay as they are until the next
  // encoding; each answers the blob's size.
  int32_t encodeBank(const ProgramRecord* programs, int32_t current);
  int32_t encodeProgram(const ProgramRecord& program);
  uint8_t* data() { return bytes; }

 private:
  uint8_t bytes[kBankSize];
};

// Fill `bank` or `program` only when the whole blob is sound; false otherwise.
bool decodeBank(const void* data, int32_t byteSize, ProgramBank& bank);
bool decodeProgram(const void* data, int32_t byteSize, ProgramRecord& program);
