// The vector paths this machine can run, for tests that run every one.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/vector_path.h"

inline std::vector<VectorPath> supportedVectorPaths() {
  std::vector<VectorPath> paths;
  for (VectorPath path : {VectorPath::Sse2, VectorPath::Avx2}) {
    if (vectorPathSupported(path)) paths.push_back(path);
  }
  return paths;
}

inline std::string vectorPathTestName(const testing::TestParamInfo<VectorPath>& info) {
  return vectorPathName(info.param);
}
