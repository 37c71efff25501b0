#include "tools/files/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/system_services.h"
#include "tools/tool_error.h"

std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) throw ToolError(kExitBadInput, path + ": cannot open: " + std::strerror(errno));
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
  const std::string partial = path + ".part";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file) throw ToolError(kExitCannotWrite, partial + ": cannot create: " + std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::remove(partial.c_str());
    throw ToolError(kExitCannotWrite, partial + ": cannot write the file");
  }
  const std::string failure = replaceFile(partial, path);
  if (!failure.empty()) {
    std::remove(partial.c_str());
    throw ToolError(kExitCannotWrite, path + ": cannot rename " + partial + " to it: " + failure);
  }
}
