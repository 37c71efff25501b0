// quorlin-host's .fxp/.fxb reader and writer on any bytes
// (preset_file_check.h); any broken promise aborts with its description, so
// libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "preset_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string failure = checkPresetFileReading(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "preset_file_fuzzer: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
