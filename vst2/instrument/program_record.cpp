#include "vst2/instrument/program_record.h"

#include <cstring>

#include "engine/parameter_table.h"

ProgramRecord::ProgramRecord() {
  for (int i = 0; i < kParameterCount; ++i) values[i] = kParameters[i].defaultValue;
  std::memset(name, 0, sizeof name);
}
