#include "tools/hosting/vst2/host_callback.h"

namespace {

// Until the session sets them: the rate and block size a host starts with.
thread_local int32_t hostSampleRate = 44100;
thread_local int32_t hostBlockSize = 512;

}  // namespace

void setHostSampleRate(int32_t rate) { hostSampleRate = rate; }

void setHostBlockSize(int32_t frames) { hostBlockSize = frames; }

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
    case audioMasterVersion:
      return kHostVstVersion;
    case audioMasterGetSampleRate:
      return hostSampleRate;
    case audioMasterGetBlockSize:
      return hostBlockSize;
    default:
      return 0;
  }
}
