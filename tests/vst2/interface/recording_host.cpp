#include "recording_host.h"

RecordingHost* RecordingHost::active = nullptr;

RecordingHost::RecordingHost()
    : responder([](const HostCall& call) -> VstIntPtr { return call.opcode == audioMasterVersion ? kHostVersion : 0; }),
      previous(active) {
  active = this;
}

RecordingHost::~RecordingHost() { active = previous; }

std::vector<HostCall> RecordingHost::callsOf(VstInt32 opcode) const {
  std::vector<HostCall> matching;
  for (const HostCall& call : recorded) {
    if (call.opcode == opcode) matching.push_back(call);
  }
  return matching;
}

VstIntPtr VSTCALLBACK RecordingHost::receive(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                             void* ptr, float opt) {
  if (active == nullptr) return 0;
  HostCall call{effect, opcode, index, value, ptr, opt};
  active->recorded.push_back(call);
  return active->responder(call);
}
