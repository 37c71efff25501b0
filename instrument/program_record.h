// One program: the eight parameter values and a name.
#pragma once

#include "engine/parameters.h"

// The instrument holds this many programs.
constexpr int kProgramCount = 4;

struct ProgramRecord {
  static constexpr int kNameBytes = 28;
  // Host name buffers are 24 bytes, the terminator included.
  static constexpr int kNameLimit = 24;

  ProgramRecord();

  float values[kParameterCount];
  char name[kNameBytes];
};
