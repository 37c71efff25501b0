// The names a script gives an instrument's parameters, and the keys --param
// takes for them: an LV2 port's symbol is both; a VST 2 parameter goes by its
// own name where it has one that no other parameter shares, by its number
// where it has none; any other format by its keys.
#pragma once

#include <string>
#include <vector>

#include "tools/hosting/instrument.h"

struct NamedParameter {
  std::string name;
  std::string key;
};

// In the order the instrument lists its parameters.
std::vector<NamedParameter> nameParameters(Instrument& instrument);
