// A host's two threads at once: its audio thread plays notes and values
// while its main thread loads factory sounds and states, saves states and
// reads values. They meet only in atomic values: ThreadSanitizer, in the
// tsan stage, checks that.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "clap/interface/clap_abi_preset_discovery.h"
#include "clap_test_host.h"
#include "engine/factory_sounds.h"

TEST(ClapThreads, AudioAndMainThreadMeetOnlyInAtomicValues) {
  TestHost host;
  PluginInstance instance(host);
  std::atomic<bool> playing{true};
  std::atomic<int> blocks{0};
  std::thread audio([&] {
    std::vector<float> left(64), right(64);
    for (int block = 0; playing; block = ++blocks) {
      ClapEvents in;
      in.note(CLAP_EVENT_NOTE_ON, block % 64, static_cast<int16_t>(40 + block % 40), 0.5);
      in.parameter(block % 32, block % 8, (block % 10) / 10.0);
      in.note(CLAP_EVENT_NOTE_OFF, 63, static_cast<int16_t>(40 + (block + 20) % 40));
      instance.process(64, left.data(), right.data(), in);
    }
  });
  const auto* load = instance.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
  const auto* state = instance.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  std::vector<uint8_t> saved;
  clap_ostream_t out{&saved, [](const clap_ostream_t* s, const void* buffer, uint64_t size) -> int64_t {
                       const auto* bytes = static_cast<const uint8_t*>(buffer);
                       static_cast<std::vector<uint8_t>*>(s->ctx)->assign(bytes, bytes + size);
                       return static_cast<int64_t>(size);
                     }};
  clap_istream_t in{&saved, [](const clap_istream_t* s, void* buffer, uint64_t size) -> int64_t {
                      auto& bytes = *static_cast<std::vector<uint8_t>*>(s->ctx);
                      const auto count = static_cast<size_t>(std::min<uint64_t>(size, bytes.size()));
                      std::copy_n(bytes.data(), count, static_cast<uint8_t*>(buffer));
                      bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
                      return static_cast<int64_t>(count);
                    }};
  // Until the audio thread has played its 2,000th block, and at least 100 rounds.
  for (int round = 0; round < 100 || blocks < 2000; ++round) {
    const FactorySound& sound = kFactorySounds[round % kFactorySoundCount];
    EXPECT_TRUE(load->from_location(instance.plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, sound.slug));
    EXPECT_TRUE(state->save(instance.plugin, &out));
    EXPECT_TRUE(state->load(instance.plugin, &in));
    instance.value(round % 8);
  }
  playing = false;
  audio.join();
}
