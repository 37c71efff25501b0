// The plug-in's state as a host keeps it: saved, loaded into a fresh
// instance (before or after its activation) and played, it sounds the same to
// the bit; a foreign, short or damaged one is refused whole, and nothing
// changes. The streams hand over three bytes at a time, as a host's may.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "clap/interface/clap_abi_extensions.h"
#include "clap_test_host.h"
#include "engine/parameters.h"

namespace {

constexpr size_t kBytesPerCall = 3;

struct MemoryStream {
  std::vector<uint8_t> bytes;
  size_t position = 0;
  bool fails = false;
  clap_istream_t in{this, [](const clap_istream_t* s, void* buffer, uint64_t size) -> int64_t {
                      auto& self = *static_cast<MemoryStream*>(s->ctx);
                      if (self.fails) return -1;
                      const size_t count = std::min({static_cast<size_t>(size), kBytesPerCall, self.bytes.size() - self.position});
                      std::memcpy(buffer, self.bytes.data() + self.position, count);
                      self.position += count;
                      return static_cast<int64_t>(count);
                    }};
  clap_ostream_t out{this, [](const clap_ostream_t* s, const void* buffer, uint64_t size) -> int64_t {
                       auto& self = *static_cast<MemoryStream*>(s->ctx);
                       const size_t count = std::min(static_cast<size_t>(size), kBytesPerCall);
                       const auto* from = static_cast<const uint8_t*>(buffer);
                       self.bytes.insert(self.bytes.end(), from, from + count);
                       return static_cast<int64_t>(count);
                     }};
};

const clap_plugin_state_t* stateOf(const PluginInstance& instance) {
  return instance.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
}

// Values unlike the defaults, a NaN among them (saved as the 0 it sounds as).
void setValues(PluginInstance& instance) {
  InputEvents in;
  const double values[kParameterCount] = {0.9, 0.05, 0.6, std::numeric_limits<double>::quiet_NaN(), 0.5, 0.2, 0.35, 0.3};
  for (int p = 0; p < kParameterCount; ++p) in.parameter(0, static_cast<clap_id>(p), values[p]);
  instance.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS)->flush(instance.plugin(), in.list(), nullptr);
}

std::vector<float> playChord(PluginInstance& instance) {
  std::vector<float> out(4096);
  InputEvents in;
  for (int16_t key : {48, 52, 55}) in.note(CLAP_EVENT_NOTE_ON, 3, key, 0.75);
  in.note(CLAP_EVENT_NOTE_OFF, 1500, 52);
  instance.process(2048, out.data(), out.data() + 2048, in);
  return out;
}

std::vector<uint8_t> savedState() {
  TestHost host;
  PluginInstance instance(host);
  setValues(instance);
  MemoryStream stream;
  EXPECT_TRUE(stateOf(instance)->save(instance.plugin(), &stream.out));
  return stream.bytes;
}

TEST(ClapState, BringsTheSoundBackInAFreshInstance) {
  TestHost host;
  PluginInstance original(host);
  setValues(original);
  ASSERT_TRUE(original.activate(44100.0));
  const std::vector<float> played = playChord(original);
  const std::vector<uint8_t> saved = savedState();
  for (bool loadedActive : {false, true}) {
    PluginInstance fresh(host);
    MemoryStream stream{saved};
    if (loadedActive) {
      ASSERT_TRUE(fresh.activate(44100.0));
    }
    EXPECT_TRUE(stateOf(fresh)->load(fresh.plugin(), &stream.in));
    if (!loadedActive) {
      ASSERT_TRUE(fresh.activate(44100.0));
    }
    EXPECT_TRUE(playChord(fresh) == played) << (loadedActive ? "loaded while active" : "loaded, then activated");
    EXPECT_EQ(fresh.value(waveform), 0.9f);
    EXPECT_EQ(fresh.value(decayTime), 0.0);  // the NaN as it sounded
  }
}

TEST(ClapState, RefusesAForeignShortOrDamagedStateWhole) {
  const std::vector<uint8_t> good = savedState();
  ASSERT_EQ(good.size(), 40u);
  const auto changed = [&](size_t at, std::vector<uint8_t> replacement) {
    std::vector<uint8_t> bytes = good;
    for (uint8_t byte : replacement) bytes.at(at++) = byte;
    return bytes;
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
    PluginInstance instance(host);
    ASSERT_TRUE(instance.activate(44100.0));
    MemoryStream stream{c.bytes, 0, c.fails};
    EXPECT_FALSE(stateOf(instance)->load(instance.plugin(), &stream.in)) << c.what;
    EXPECT_EQ(host.requests.valueRescans + host.requests.flushes, 0) << c.what;
    PluginInstance untouched(host);
    ASSERT_TRUE(untouched.activate(44100.0));
    for (clap_id p = 0; p < kParameterCount; ++p) EXPECT_EQ(instance.value(p), untouched.value(p)) << c.what;
    EXPECT_TRUE(playChord(instance) == playChord(untouched)) << c.what;
  }
}

}  // namespace
