// One program: the eight parameter values and a name.
#pragma once

#include "engine/parameters.h"
#include "engine/relaxed.h"

// The instrument holds this many programs.
constexpr int kProgramCount = 4;

struct ProgramRecord {
  static constexpr int kNameBytes = 28;
  // Host name buffers are 24 bytes, the terminator included.
  static constexpr int kNameLimit = 24;

  ProgramRecord();

  // A host may set and read values on its audio thread while its interface
  // thread changes programs (see synth_plugin.h): each value is one atomic.
  Relaxed<float> values[kParameterCount];
  // Names are read and written on the interface thread alone.
  char name[kNameBytes];
};
