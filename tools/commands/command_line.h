// Splitting a subcommand's arguments into options and operands, and reading
// option values strictly: anything that is not exactly a number of the
// expected kind is a usage error.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/hosting/instrument.h"

struct OptionDefinition {
  const char* name;  // with its dashes, e.g. "--rate"
  bool takesValue;
};

struct ParsedArguments {
  std::vector<std::pair<std::string, std::string>> options;  // name and value, in command-line order
  std::vector<std::string> operands;
};

// Accepts "--name value" and "--name=value"; "--" ends the options.
ParsedArguments parseArguments(const std::vector<std::string>& args, const std::vector<OptionDefinition>& definitions,
                               const std::string& usage);

// A whole decimal number from min to max.
int64_t parseWholeNumber(const std::string& option, const std::string& text, int64_t min, int64_t max,
                         const std::string& usage);

// A decimal number such as 0.25, -1 or 3e-2, rounded to the nearest float the
// same way on every platform.
float parseFloatValue(const std::string& option, const std::string& text, const std::string& usage);

// "KEY=VALUE", as --param takes it: a whole number from 0 (an index or an
// id) or a name, and a finite value; whether the plug-in has that parameter and takes that
// value is for the instrument to say.
ParameterSetting parseParameterSetting(const std::string& option, const std::string& text, const std::string& usage);

// A non-negative decimal number of seconds with at most nine decimals, kept exact
// in nanoseconds so that frame counts derived from it never depend on floating point.
int64_t parseNanoseconds(const std::string& option, const std::string& text, int64_t maxSeconds,
                         const std::string& usage);

// A file to save a preset in: a name ending in .fxp (one program) or .fxb (a
// bank), which says what is saved, an LV2 preset bundle NAME.preset.lv2, or
// a CLAP state NAME.clapstate.
std::string parsePresetSavePath(const std::string& option, const std::string& text, const std::string& usage);
