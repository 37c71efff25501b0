// The editor opened and closed two hundred times in a host that draws
// nothing with OpenGL itself (a plain X host). Each time the last editor
// closes, the editor's X connection closes and Mesa's driver is unloaded with
// it; the next opening loads and sets it up again. Whatever that costs must
// not stay behind.
#include "editor_host.h"

namespace {

constexpr int kCycles = 200;
constexpr int kWarmUpCycles = 20;
// A rendering context or a driver set-up left behind costs kilobytes to
// megabytes; the allowance covers the allocator's own bookkeeping.
constexpr long kAllowedGrowthPerCycle = 1024;

using EditorInPlainHost = EditorHost;

TEST_F(EditorInPlainHost, OpenedAndClosedTwoHundredTimesDoesNotGrowTheHeap) {
  const long growth = openAndCloseInFreshParents(kCycles, kWarmUpCycles);
  EXPECT_EQ(HostDisplay::errors(), 0) << "X errors during the cycles";
  RecordProperty("heap_growth_bytes", static_cast<int>(growth));
  const long measuredCycles = kCycles - kWarmUpCycles;
  EXPECT_LT(growth, kAllowedGrowthPerCycle * measuredCycles)
      << "heap grew by " << growth << " bytes over " << measuredCycles << " cycles";
}

}  // namespace
