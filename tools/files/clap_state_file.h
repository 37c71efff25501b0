// quorlin-host's own file of a CLAP plug-in's state (CLAP defines none): the
// plug-in's id, so that the state is never given to another plug-in, and
// the bytes its clap.state save wrote.
//
//   "QHCLAPS1"                     8 bytes: what the file is, and its version
//   id size N                      4 bytes, little-endian
//   id                             N bytes, UTF-8, no terminator
//   state size M                   8 bytes, little-endian
//   state                          M bytes, nothing after them
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ClapStateFile {
  std::string pluginId;
  std::vector<uint8_t> state;
};

// True for a name ending in .clapstate (any letter case).
bool isClapStateFileName(const std::string& path);

std::vector<uint8_t> encodeClapStateFile(const ClapStateFile& file);
// Throws ToolError (kExitBadInput), the message starting with `path`, for
// bytes that are no such file or whose sizes do not add up.
ClapStateFile decodeClapStateFile(const std::vector<uint8_t>& bytes, const std::string& path);

ClapStateFile readClapStateFile(const std::string& path);
void writeClapStateFile(const std::string& path, const ClapStateFile& file);
