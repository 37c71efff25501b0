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
    session.parameters.push_back(parseParameterSetting(name, value, usage));
  } else if (name == "--preset") {
    session.preset = value;
  } else {
    return false;
  }
  return true;
}
