#include "tools/files/clap_state_file.h"

#include <cctype>
#include <cstring>

#include "tools/files/whole_file.h"
#include "tools/system/tool_error.h"

namespace {

constexpr char kMagic[8] = {'Q', 'H', 'C', 'L', 'A', 'P', 'S', '1'};
// Ids are short; states are seldom more than a few megabytes.
constexpr uint32_t kLongestId = 4096;
constexpr size_t kLargestFile = 256 * 1024 * 1024;

void appendLittleEndian(std::vector<uint8_t>& bytes, uint64_t value, int count) {
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint64_t littleEndian(const uint8_t* bytes, int count) {
  uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

}  // namespace

bool isClapStateFileName(const std::string& path) {
  const std::string ending = ".clapstate";
  if (path.size() <= ending.size()) return false;
  for (size_t i = 0; i < ending.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(path[path.size() - ending.size() + i])) != ending[i]) return false;
  }
  return true;
}

std::vector<uint8_t> encodeClapStateFile(const ClapStateFile& file) {
  std::vector<uint8_t> bytes(kMagic, kMagic + sizeof kMagic);
  appendLittleEndian(bytes, file.pluginId.size(), 4);
  bytes.insert(bytes.end(), file.pluginId.begin(), file.pluginId.end());
  appendLittleEndian(bytes, file.state.size(), 8);
  bytes.insert(bytes.end(), file.state.begin(), file.state.end());
  return bytes;
}

ClapStateFile decodeClapStateFile(const std::vector<uint8_t>& bytes, const std::string& path) {
  const auto refuse = [&path](const std::string& problem) { return ToolError(kExitBadInput, path + ": " + problem); };
  if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    throw refuse("not a CLAP state saved by quorlin-host");
  }
  size_t at = sizeof kMagic;
  if (bytes.size() - at < 4) throw refuse("the file ends inside its header");
  const uint64_t idSize = littleEndian(bytes.data() + at, 4);
  at += 4;
  if (idSize == 0 || idSize > kLongestId || bytes.size() - at < idSize + 8) throw refuse("its plug-in id's size does not add up");
  ClapStateFile file;
  file.pluginId.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + idSize));
  at += idSize;
  const uint64_t stateSize = littleEndian(bytes.data() + at, 8);
  at += 8;
  if (stateSize != bytes.size() - at) throw refuse("its state's size does not add up to the file's");
  file.state.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
  return file;
}

ClapStateFile readClapStateFile(const std::string& path) {
  return decodeClapStateFile(readWholeFile(path, kLargestFile), path);
}

void writeClapStateFile(const std::string& path, const ClapStateFile& file) {
  writeWholeFile(path, encodeClapStateFile(file));
}
