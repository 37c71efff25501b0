#include "tools/commands/command_line.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "tools/files/clap_state_file.h"
#include "tools/files/lv2_preset_name.h"
#include "tools/files/preset_file.h"
#include "tools/system/tool_error.h"

namespace {

const OptionDefinition* findOption(const std::vector<OptionDefinition>& definitions, const std::string& name) {
  for (const OptionDefinition& definition : definitions) {
    if (name == definition.name) return &definition;
  }
  return nullptr;
}

ToolError badValue(const std::string& option, const std::string& text, const std::string& expected,
                   const std::string& usage) {
  return usageError(option + " needs " + expected + ", not '" + text + "'", usage);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isWholeNumber(const std::string& text) {
  for (char c : text) {
    if (!isDigit(c)) return false;
  }
  return !text.empty();
}

}  // namespace

ParsedArguments parseArguments(const std::vector<std::string>& args, const std::vector<OptionDefinition>& definitions,
                               const std::string& usage) {
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionDefinition* definition = findOption(definitions, name);
    if (definition == nullptr) throw usageError("unknown option '" + name + "'", usage);
    if (!definition->takesValue) {
      if (equals != std::string::npos) throw usageError(name + " takes no value", usage);
      parsed.options.emplace_back(name, std::string());
    } else if (equals != std::string::npos) {
      parsed.options.emplace_back(name, arg.substr(equals + 1));
    } else {
      if (i + 1 == args.size()) throw usageError(name + " needs a value", usage);
      parsed.options.emplace_back(name, args[++i]);
    }
  }
  return parsed;
}

int64_t parseWholeNumber(const std::string& option, const std::string& text, int64_t min, int64_t max,
                         const std::string& usage) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end || value < min || value > max) {
    throw badValue(option, text, "a whole number from " + std::to_string(min) + " to " + std::to_string(max), usage);
  }
  return value;
}

float parseFloatValue(const std::string& option, const std::string& text, const std::string& usage) {
  float value = 0.0f;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) {
    throw badValue(option, text, "a finite decimal number", usage);
  }
  return value;
}

int64_t parseNanoseconds(const std::string& option, const std::string& text, int64_t maxSeconds,
                         const std::string& usage) {
  const std::string expected =
      "a number of seconds from 0 to " + std::to_string(maxSeconds) + " with at most nine decimals";
  int64_t seconds = 0;
  int64_t fraction = 0;
  int fractionDigits = 0;
  bool seenDigit = false;
  bool seenPoint = false;
  for (char c : text) {
    if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else if (isDigit(c) && !seenPoint) {
      seconds = seconds * 10 + (c - '0');
      if (seconds > maxSeconds) throw badValue(option, text, expected, usage);
      seenDigit = true;
    } else if (isDigit(c) && fractionDigits < 9) {
      fraction = fraction * 10 + (c - '0');
      ++fractionDigits;
      seenDigit = true;
    } else {
      throw badValue(option, text, expected, usage);
    }
  }
  for (int digit = fractionDigits; digit < 9; ++digit) fraction *= 10;
  if (!seenDigit || (seconds == maxSeconds && fraction > 0)) throw badValue(option, text, expected, usage);
  return seconds * 1000000000 + fraction;
}

// A key of digits is a number (a VST 2 parameter's index, an LV2 port's, a
// CLAP parameter's id); any other is a name (an LV2 port's symbol, a CLAP
// parameter's name, which may hold spaces), which the plug-in's format checks.
ParameterSetting parseParameterSetting(const std::string& option, const std::string& text, const std::string& usage) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) throw usageError(option + " needs INDEX=VALUE, not '" + text + "'", usage);
  ParameterSetting setting;
  setting.key = text.substr(0, equals);
  if (isWholeNumber(setting.key)) {
    setting.key = std::to_string(parseWholeNumber(option, setting.key, 0, UINT32_MAX, usage));
  } else if (setting.key.empty()) {
    throw usageError(option + " needs INDEX=VALUE or NAME=VALUE, not '" + text + "'", usage);
  }
  setting.valueText = text.substr(equals + 1);
  setting.value = parseFloatValue(option, setting.valueText, usage);
  return setting;
}

std::string parsePresetSavePath(const std::string& option, const std::string& text, const std::string& usage) {
  if (!presetKindForFileName(text) && !isLv2PresetBundleName(text) && !isClapStateFileName(text)) {
    throw usageError(option + " needs a file name ending in .fxp or .fxb, not '" + text +
                         "' (for an LV2 plug-in, a folder NAME.preset.lv2; for CLAP, NAME.clapstate)",
                     usage);
  }
  return text;
}
