#include "tools/system/temporary_name.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>

namespace {

constexpr int kSuffixLetters = 6;
const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

uint64_t entropy() {
  uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  try {
    seed ^= static_cast<uint64_t>(std::random_device()()) << 32;
  } catch (const std::exception&) {
    // The clock alone: names still never collide, they are only easier to guess.
  }
  return seed;
}

// Hard to guess, different for every file of this process (splitmix64).
std::string randomSuffix() {
  static std::atomic<uint64_t> state{entropy()};
  uint64_t z = state.fetch_add(0x9E3779B97F4A7C15u) + 0x9E3779B97F4A7C15u;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  z ^= z >> 31;
  std::string suffix;
  for (int i = 0; i < kSuffixLetters; ++i, z /= sizeof kLetters - 1) suffix += kLetters[z % (sizeof kLetters - 1)];
  return suffix;
}

}  // namespace

std::string temporaryName(const std::string& path) { return path + "." + randomSuffix() + ".part"; }
