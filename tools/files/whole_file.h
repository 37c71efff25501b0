// Files read or written whole, in one piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The file's bytes. Throws ToolError (kExitBadInput) whose message starts with
// the path when it cannot be opened or read, or holds more than maxBytes.
std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes);

// Writes the file whole or not at all: the bytes go to a temporary file
// beside it, which is then renamed over it. Throws ToolError (kExitCannotWrite).
void writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
