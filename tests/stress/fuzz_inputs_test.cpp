// Every committed fuzz input (the seed corpora and the inputs that once broke
// a promise) replayed through the same checks the fuzzers run, in this build
// and with its sanitizers: the plug-in inputs against the built module loaded
// like a host loads it, the MIDI and preset files against quorlin-host's
// readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host_operations.h"
#include "loaded_instrument.h"
#include "midi_file_check.h"
#include "preset_file_check.h"

namespace {

namespace fs = std::filesystem;

struct FuzzInput {
  std::string fuzzer;  // plugin_fuzzer, midi_file_fuzzer or preset_file_fuzzer
  std::string group;   // corpus or regressions
  fs::path path;
};

std::vector<FuzzInput> committedInputs() {
  std::vector<FuzzInput> inputs;
  for (const char* group : {"corpus", "regressions"}) {
    for (const char* fuzzer : {"plugin_fuzzer", "midi_file_fuzzer", "preset_file_fuzzer"}) {
      const fs::path folder = fs::path(QUORLIN_FUZZ_DIR) / group / fuzzer;
      if (!fs::is_directory(folder)) continue;
      std::vector<fs::path> files;
      for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
      for (const fs::path& file : files) inputs.push_back({fuzzer, group, file});
    }
  }
  return inputs;
}

std::vector<uint8_t> contentsOf(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::string testName(const ::testing::TestParamInfo<FuzzInput>& info) {
  std::string name = info.param.group + "_" + info.param.fuzzer + "_" + info.param.path.stem().string();
  for (char& character : name) {
    if (!std::isalnum(static_cast<unsigned char>(character))) character = '_';
  }
  return name;
}

class CommittedFuzzInput : public ::testing::TestWithParam<FuzzInput> {};

TEST_P(CommittedFuzzInput, KeepsEveryPromise) {
  const FuzzInput& input = GetParam();
  const std::vector<uint8_t> bytes = contentsOf(input.path);
  if (input.fuzzer == "plugin_fuzzer") {
    LoadedInstrument instrument(quietHost);
    ASSERT_NE(instrument.record(), nullptr);
    EXPECT_EQ(runHostOperations(instrument.record(), bytes.data(), bytes.size()), "");
    EXPECT_EQ(instrument.close(), 1);
  } else if (input.fuzzer == "midi_file_fuzzer") {
    EXPECT_EQ(checkMidiFileReading(bytes.data(), bytes.size()), "");
  } else {
    EXPECT_EQ(checkPresetFileReading(bytes.data(), bytes.size()), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CommittedFuzzInput, ::testing::ValuesIn(committedInputs()), testName);

}  // namespace
