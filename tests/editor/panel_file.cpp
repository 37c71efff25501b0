#include <fstream>
#include <iterator>
#include <stdexcept>

#include "scene_projection.h"

std::vector<uint8_t> committedPanel() {
  std::ifstream file(QUORLIN_PANEL_FILE, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() != 512 * 512 * 3) throw std::runtime_error("cannot read " QUORLIN_PANEL_FILE);
  return bytes;
}
