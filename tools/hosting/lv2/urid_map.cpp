#include "tools/hosting/lv2/urid_map.h"

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

class UridTable {
 public:
  LV2_URID map(const char* uri) {
    if (uri == nullptr) return 0;
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = numbers_.find(uri);
    if (found != numbers_.end()) return found->second;
    uris_.emplace_back(uri);
    const LV2_URID number = static_cast<LV2_URID>(uris_.size());
    numbers_.emplace(uris_.back(), number);
    return number;
  }

  // The text stays where it is for the life of the process (a deque never
  // moves its elements), as unmap's callers may keep the pointer.
  const char* unmap(LV2_URID number) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return number >= 1 && number <= uris_.size() ? uris_[number - 1].c_str() : nullptr;
  }

 private:
  std::mutex mutex_;
  std::deque<std::string> uris_;
  std::unordered_map<std::string, LV2_URID> numbers_;
};

UridTable& table() {
  static UridTable uris;
  return uris;
}

LV2_URID mapCallback(LV2_URID_Map_Handle, const char* uri) { return table().map(uri); }
const char* unmapCallback(LV2_URID_Unmap_Handle, LV2_URID number) { return table().unmap(number); }

}  // namespace

LV2_URID_Map* uridMap() {
  static LV2_URID_Map map{nullptr, mapCallback};
  return &map;
}

LV2_URID_Unmap* uridUnmap() {
  static LV2_URID_Unmap unmap{nullptr, unmapCallback};
  return &unmap;
}

LV2_URID mapUri(const char* uri) { return table().map(uri); }
