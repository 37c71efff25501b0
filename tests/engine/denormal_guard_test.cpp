#include "engine/denormal_guard.h"

#include <gtest/gtest.h>

#include <xmmintrin.h>

#include <vector>

#include "engine/synth_engine.h"
#include "tests/engine/engine_test_support.h"

namespace {
// Read through volatile so the compiler cannot fold the arithmetic.
float product(float a, float b) {
  volatile float x = a;
  volatile float y = b;
  return x * y;
}
}  // namespace

TEST(DenormalGuard, FlushesDenormalsWhileAliveAndRestoresAfterwards) {
  EXPECT_NE(product(1e-20f, 1e-20f), 0.0f);  // 1e-40 is a denormal
  const unsigned before = _mm_getcsr();       // including the flags that raised
  {
    const DenormalGuard guard;
    EXPECT_EQ(product(1e-20f, 1e-20f), 0.0f);
    EXPECT_EQ(product(1e-40f, 1e30f), 0.0f);  // denormal input read as zero
  }
  EXPECT_EQ(_mm_getcsr(), before);
  EXPECT_NE(product(1e-20f, 1e-20f), 0.0f);
}

TEST(DenormalGuard, RenderLeavesTheCallersControlWordAsItFoundIt) {
  SynthEngine engine;
  const unsigned before = _mm_getcsr();
  renderBlock(engine, {noteOnAt(3, 60, 100)}, 64);
  EXPECT_EQ(_mm_getcsr(), before);
}
