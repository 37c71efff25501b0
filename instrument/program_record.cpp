#include "instrument/program_record.h"

#include <cstring>

// A bright sawtooth at a third of full scale, filter wide open, no envelope
// times: the sound every program starts with.
ProgramRecord::ProgramRecord() : values{0.5f, 0.0f, 0.3f, 0.0f, 0.3f, 0.0f, 0.999f, 0.999f} {
  std::memset(name, 0, sizeof name);
}
