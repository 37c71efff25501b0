// LV2 presets are saved as bundles: folders named NAME.preset.lv2 holding a
// manifest and the preset's Turtle, which hosts find by that ending.
#pragma once

#include <cctype>
#include <string>

// True for NAME.preset.lv2 (in any letter case, a trailing slash allowed).
inline bool isLv2PresetBundleName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::string ending = ".preset.lv2";
  if (path.size() <= ending.size() || path[path.size() - ending.size() - 1] == '/') return false;
  for (size_t i = 0; i < ending.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[path.size() - ending.size() + i]);
    if (std::tolower(c) != ending[i]) return false;
  }
  return true;
}
