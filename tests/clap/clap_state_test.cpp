// The plug-in's state as a host keeps it: saved, loaded into a fresh instance
// (active or not) and played, it sounds the same to the bit; a foreign, short
// or damaged one is refused whole, and nothing changes. The streams move
// three bytes a call, as a host's may.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "clap_test_host.h"
#include "engine/parameters.h"

namespace {

struct MemoryStream {
  std::vector<uint8_t> bytes;
  bool fails = false;
  size_t position = 0;
  clap_istream_t in{this, [](const clap_istream_t* s, void* buffer, uint64_t size) -> int64_t {
                      auto& self = *static_cast<MemoryStream*>(s->ctx);
                      const auto count = static_cast<size_t>(std::min<uint64_t>({size, 3, self.bytes.size() - self.position}));
                      std::copy_n(self.bytes.data() + self.position, count, static_cast<uint8_t*>(buffer));
                      self.position += count;
                      return self.fails ? -1 : static_cast<int64_t>(count);
                    }};
  clap_ostream_t out{this, [](const clap_ostream_t* s, const void* buffer, uint64_t size) -> int64_t {
                       const auto* from = static_cast<const uint8_t*>(buffer);
                       const auto count = static_cast<size_t>(std::min<uint64_t>(size, 3));
                       static_cast<MemoryStream*>(s->ctx)->bytes.insert(
                           static_cast<MemoryStream*>(s->ctx)->bytes.end(), from, from + count);
                       return static_cast<int64_t>(count);
                     }};
};

const clap_plugin_state_t& stateOf(const PluginInstance& instance) {
  return *instance.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
}

std::vector<float> playChord(PluginInstance& instance) {
  std::vector<float> out(4096);
  ClapEvents in;
  for (int16_t key : {48, 52, 55}) in.note(CLAP_EVENT_NOTE_ON, 3, key, 0.75);
  in.note(CLAP_EVENT_NOTE_OFF, 1500, 52);
  instance.process(2048, out.data(), out.data() + 2048, in);
  return out;
}

// A state of values unlike the defaults, a NaN among them, which is saved as
// the 0 it sounds as.
std::vector<uint8_t> savedState(std::vector<float>* played = nullptr) {
  TestHost host;
  PluginInstance instance(host);
  ClapEvents values;
  const double set[kParameterCount] = {0.9, 0.05, 0.6, std::numeric_limits<double>::quiet_NaN(), 0.5, 0.2, 0.35, 0.3};
  for (int p = 0; p < kParameterCount; ++p) values.parameter(0, static_cast<clap_id>(p), set[p]);
  instance.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS)->flush(instance.plugin, values.in(), nullptr);
  if (played) *played = playChord(instance);
  MemoryStream stream;
  EXPECT_TRUE(stateOf(instance).save(instance.plugin, &stream.out));
  return stream.bytes;
}

TEST(ClapState, BringsTheSoundBackInAFreshInstance) {
  std::vector<float> played;
  const std::vector<uint8_t> saved = savedState(&played);
  for (bool loadedActive : {true, false}) {
    TestHost host;
    PluginInstance fresh(host);
    if (!loadedActive) {
      fresh.plugin->deactivate(fresh.plugin);
    }
    MemoryStream stream{saved};
    EXPECT_TRUE(stateOf(fresh).load(fresh.plugin, &stream.in));
    if (!loadedActive) {
      ASSERT_TRUE(fresh.plugin->activate(fresh.plugin, 48000.0, 1, 4096));
    }
    EXPECT_TRUE(playChord(fresh) == played) << (loadedActive ? "loaded while active" : "loaded, then activated");
    EXPECT_EQ(fresh.value(decayTime), 0.0);  // the NaN as it sounded
  }
}

TEST(ClapState, RefusesAForeignShortOrDamagedStateWhole) {
  const std::vector<uint8_t> good = savedState();
  ASSERT_EQ(good.size(), 40u);
  const auto changed = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> state = good;
    for (uint8_t byte : bytes) state.at(at++) = byte;
    return state;
  };
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    bool fails;
  } cases[] = {
      {"nothing", {}, false},
      {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1), false},
      {"a byte more", longer, false},
      {"a foreign magic", changed(0, {'X'}), false},
      {"version 2", changed(4, {2}), false},
      {"an infinite value", changed(8 + 4 * decayTime, {0, 0, 0x80, 0x7F}), false},
      {"a stream that fails", good, true},
  };
  for (const auto& c : cases) {
    TestHost host;
    PluginInstance instance(host), untouched(host);
    MemoryStream stream{c.bytes, c.fails};
    EXPECT_FALSE(stateOf(instance).load(instance.plugin, &stream.in)) << c.what;
    EXPECT_EQ(host.valueRescans + host.flushes, 0) << c.what;
    for (clap_id p = 0; p < kParameterCount; ++p) EXPECT_EQ(instance.value(p), untouched.value(p)) << c.what;
    EXPECT_TRUE(playChord(instance) == playChord(untouched)) << c.what;
  }
}

}  // namespace
