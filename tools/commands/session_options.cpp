#include "tools/commands/session_options.h"

#include <cstdint>

#include "tools/commands/command_line.h"

namespace {

constexpr int64_t kMaxIndex = 0x7FFFFFFF;

}  // namespace

bool applySessionOption(SessionSettings& session, const std::string& name, const std::string& value,
                        const std::string& usage) {
  if (name == "--program") {
    session.program = static_cast<int32_t>(parseWholeNumber(name, value, 0, kMaxIndex, usage));
  } else if (name == "--param") {
    const auto [index, setting] = parseIndexedValue(name, value, usage);
    session.parameters.push_back({index, setting});
  } else if (name == "--preset") {
    session.presetPath = value;
  } else {
    return false;
  }
  return true;
}
