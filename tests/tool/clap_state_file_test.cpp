// The CLAP state file of quorlin-host's own: what it writes reads back, and
// bytes that are not such a file are refused, naming the fault.
#include <gtest/gtest.h>

#include "tools/files/clap_state_file.h"
#include "tools/system/tool_error.h"

namespace {

TEST(ClapStateFile, ReadsBackWhatItWritesAndRefusesWhatDoesNotAddUp) {
  const ClapStateFile file{"org.example.synth", {1, 2, 3}};
  const std::vector<uint8_t> bytes = encodeClapStateFile(file);
  ASSERT_EQ(bytes.size(), 8u + 4 + 17 + 8 + 3);
  const ClapStateFile read = decodeClapStateFile(bytes, "s.clapstate");
  EXPECT_EQ(read.pluginId, file.pluginId);
  EXPECT_EQ(read.state, file.state);

  std::vector<uint8_t> otherMagic = bytes, longer = bytes, noId = bytes;
  otherMagic[7] = '2';
  longer.push_back(0);
  noId[8] = 0;
  const std::vector<std::pair<std::vector<uint8_t>, std::string>> refused = {
      {otherMagic, "s.clapstate: not a CLAP state saved by quorlin-host"},
      {std::vector<uint8_t>(bytes.begin(), bytes.begin() + 10), "s.clapstate: the file ends inside its header"},
      {std::vector<uint8_t>(bytes.begin(), bytes.begin() + 30), "s.clapstate: its plug-in id's size does not add up"},
      {noId, "s.clapstate: its plug-in id's size does not add up"},
      {std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), "s.clapstate: its state's size does not add up to the file's"},
      {longer, "s.clapstate: its state's size does not add up to the file's"},
  };
  for (const auto& [bytesRead, message] : refused) {
    try {
      decodeClapStateFile(bytesRead, "s.clapstate");
      ADD_FAILURE() << "accepted: " << message;
    } catch (const ToolError& error) {
      EXPECT_EQ(error.what(), message);
      EXPECT_EQ(error.status(), kExitBadInput);
    }
  }
  EXPECT_TRUE(isClapStateFileName("a/Sound.ClapState"));
  EXPECT_FALSE(isClapStateFileName(".clapstate"));
  EXPECT_FALSE(isClapStateFileName("sound.clap"));
}

}  // namespace
