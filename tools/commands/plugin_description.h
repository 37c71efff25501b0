// What `quorlin-host info` finds out about a plug-in, asked once and then
// printed as text or as JSON. Texts are kept as the plug-in wrote them.
#pragma once

#include <string>
#include <vector>

#include "host/vst2_abi.h"
#include "tools/hosting/plugin_session.h"

struct ParameterDescription {
  std::string name;
  std::string label;
  std::string display;
};

struct CanDoAnswer {
  const char* question;
  VstIntPtr answer;  // 1 yes, -1 no, 0 don't know
};

struct PinDescription {
  bool described = false;  // false when the plug-in does not answer for the pin
  std::string label;
  bool active = false;
  bool stereo = false;
};

struct PluginDescription {
  std::string modulePath;
  std::string name;
  std::string vendor;
  std::string product;
  VstIntPtr vendorVersion = 0;
  VstInt32 uniqueId = 0;
  VstInt32 version = 0;
  VstIntPtr vstVersion = 0;
  VstIntPtr category = 0;
  VstInt32 inputs = 0;
  VstInt32 outputs = 0;
  VstInt32 flags = 0;
  VstInt32 initialDelay = 0;
  VstIntPtr tailSize = 0;
  std::vector<std::string> programs;
  std::vector<std::vector<float>> programValues;  // each program's parameters; asked for only after a preset
  std::vector<ParameterDescription> parameters;
  std::vector<CanDoAnswer> canDo;
  std::vector<PinDescription> outputPins;
};

PluginDescription describePlugin(PluginSession& session, bool withProgramValues);

// The unique ID as its four characters, '?' for any that is not printable.
std::string fourCharacters(VstInt32 id);
// The names of the known flags that are set, in bit order.
std::vector<std::string> flagNames(VstInt32 flags);
// The flags set that have no name.
VstInt32 unnamedFlags(VstInt32 flags);
// "synth", "effect", ... or "?" for a number without a name.
std::string categoryName(VstIntPtr category);
