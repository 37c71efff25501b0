#include "tools/files/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/system/output_file.h"
#include "tools/system/tool_error.h"

std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) {
    const std::string message = path + ": cannot open: " + std::strerror(errno);
    if (errno == ENOENT) throw MissingFile(kExitBadInput, message);
    throw ToolError(kExitBadInput, message);
  }
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0 && bytes.size() <= maxBytes) {
    bytes.insert(bytes.end(), buffer, buffer + count);
  }
  const bool failed = std::ferror(stream) != 0;
  std::fclose(stream);
  if (failed) throw ToolError(kExitBadInput, path + ": cannot read the file");
  if (bytes.size() > maxBytes) {
    throw ToolError(kExitBadInput, path + ": file larger than " + std::to_string(maxBytes >> 20) + " MiB");
  }
  return bytes;
}

void writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  OutputFile file(path);
  file.write(bytes.data(), bytes.size());
  file.commit();
}
