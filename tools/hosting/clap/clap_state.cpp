#include "tools/hosting/clap/clap_state.h"

#include <algorithm>
#include <cstring>

namespace {

// A plug-in may read in pieces of any size, and past the end: then it reads 0 bytes.
struct Reading {
  const std::vector<uint8_t>& bytes;
  size_t at = 0;
};

}  // namespace

std::optional<std::vector<uint8_t>> saveClapState(const clap_plugin_t* plugin, const clap_plugin_state_t* state) {
  if (state == nullptr || state->save == nullptr) return std::nullopt;
  std::vector<uint8_t> bytes;
  const clap_ostream_t stream = {&bytes, [](const clap_ostream_t* out, const void* buffer, uint64_t size) -> int64_t {
                                   if (buffer == nullptr && size > 0) return -1;
                                   auto& written = *static_cast<std::vector<uint8_t>*>(out->ctx);
                                   const auto* first = static_cast<const uint8_t*>(buffer);
                                   try {
                                     written.insert(written.end(), first, first + size);
                                   } catch (...) {  // out of memory: no exception crosses into the plug-in
                                     return -1;
                                   }
                                   return static_cast<int64_t>(size);
                                 }};
  if (!state->save(plugin, &stream)) return std::nullopt;
  return bytes;
}

bool loadClapState(const clap_plugin_t* plugin, const clap_plugin_state_t* state, const std::vector<uint8_t>& bytes) {
  if (state == nullptr || state->load == nullptr) return false;
  Reading reading{bytes};
  const clap_istream_t stream = {&reading, [](const clap_istream_t* in, void* buffer, uint64_t size) -> int64_t {
                                   auto& from = *static_cast<Reading*>(in->ctx);
                                   const size_t count = static_cast<size_t>(std::min<uint64_t>(size, from.bytes.size() - from.at));
                                   if (count > 0 && buffer == nullptr) return -1;
                                   if (count > 0) std::memcpy(buffer, from.bytes.data() + from.at, count);
                                   from.at += count;
                                   return static_cast<int64_t>(count);
                                 }};
  return state->load(plugin, &stream);
}
