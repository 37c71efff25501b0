// A thousand instances created, played and closed one after another, as a
// host does while a user loads and removes the instrument in a session: the
// heap must come back to where it was.
#include <gtest/gtest.h>

#include <vector>

#include "heap_in_use.h"
#include "host_operations.h"
#include "loaded_instrument.h"
#include "test_song.h"

namespace {

constexpr int kWarmUpCycles = 20;
constexpr int kCycles = 1000;

// A leaked allocation of any size costs at least 32 bytes of heap in use per
// cycle, so a leak in any cycle path would grow the heap by 32000 bytes or
// more; the allowance is far below that and covers the allocator's own
// bookkeeping only.
constexpr long kAllowedGrowthBytes = 1000;

// Everything a host does with an instance in a short session: settings,
// program and name, a few blocks of notes, the editor's rectangle.
bool playOneSession(int cycle) {
  LoadedInstrument instrument(quietHost);
  AEffect* effect = instrument.record();
  if (effect == nullptr) return false;
  char name[24] = "renamed";
  effect->dispatcher(effect, effSetProgramName, 0, 0, name, 0.0f);
  ERect* rect = nullptr;
  effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.0f);
  // Each cycle uses another of the eight songs, and longer event lists now
  // and then, so the event buffer grows in some sessions and not in others.
  std::vector<float> samples = renderSong(effect, cycle % 8, 2 + cycle % 5);
  effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
  return !samples.empty();
}

TEST(InstanceLifecycle, AThousandCreateCloseCyclesLeaveTheHeapAsTheyFoundIt) {
  for (int cycle = 0; cycle < kWarmUpCycles; ++cycle) ASSERT_TRUE(playOneSession(cycle));
  const size_t before = heapInUse();
  int played = 0;
  for (int cycle = 0; cycle < kCycles; ++cycle) played += playOneSession(cycle) ? 1 : 0;
  const size_t after = heapInUse();
  EXPECT_EQ(played, kCycles);
  const long growth = static_cast<long>(after) - static_cast<long>(before);
  RecordProperty("heap_growth_bytes", static_cast<int>(growth));
  EXPECT_LT(growth, kAllowedGrowthBytes) << "heap in use went from " << before << " to " << after << " bytes over "
                                         << kCycles << " cycles";
}

}  // namespace
