// What the benchmarks print about the machine they ran on: the processor's
// name as it reports it, and the vector path the engine takes on it.
#pragma once

#include <cpuid.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "engine/vector_path.h"

inline std::string processorName() {
  unsigned words[12] = {};
  for (unsigned leaf = 0; leaf < 3; ++leaf) {
    unsigned* part = words + 4 * leaf;
    if (!__get_cpuid(0x80000002 + leaf, &part[0], &part[1], &part[2], &part[3])) return "unknown processor";
  }
  char name[sizeof words + 1] = {};
  std::memcpy(name, words, sizeof words);
  std::string text(name);
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? "unknown processor" : text.substr(first);
}

inline std::string vectorPathReport() {
  std::string paths;
  for (VectorPath path : {VectorPath::Sse2, VectorPath::Avx2}) {
    if (!vectorPathSupported(path)) continue;
    paths += paths.empty() ? "" : ", ";
    paths += vectorPathName(path);
  }
  return std::string(vectorPathName(bestVectorPath())) + " (this processor has " + paths + ")";
}
