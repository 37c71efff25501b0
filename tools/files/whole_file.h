// Files read or written whole, in one piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The file's bytes. Throws ToolError (kExitBadInput) whose message starts with
// the path when it cannot be opened or read, or holds more than maxBytes.
std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes);

// Writes the file whole or not at all, through an OutputFile. Throws
// ToolError (kExitBadInput when the folder takes no new file, else kExitCannotWrite).
void writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
