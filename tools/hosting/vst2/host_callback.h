// The host callback that quorlin-host gives every plug-in it loads. It answers
// what a plain offline host answers: its VST version, the sample rate and the
// block size, and 0 to every other request.
#pragma once

#include <cstdint>

#include "vst2/interface/vst2_abi.h"

// The host's VST version as audioMasterVersion reports it.
constexpr VstIntPtr kHostVstVersion = 2400;

// A plug-in may ask for these before main has even returned its record, so
// they cannot be kept per record. They are kept per thread instead: each
// instance the tool runs is created and driven by one thread of its own.
void setHostSampleRate(int32_t rate);
void setHostBlockSize(int32_t frames);

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt);
