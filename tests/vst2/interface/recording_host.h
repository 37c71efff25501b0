// A host callback that writes down every call a plug-in makes and answers as
// the test tells it. The callback carries no user pointer (main calls it
// before any record exists), so one recorder at a time is the active one.
#pragma once

#include <functional>
#include <vector>

#include "vst2/interface/vst2_abi.h"

struct HostCall {
  AEffect* effect;
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  void* ptr;
  float opt;
};

class RecordingHost {
 public:
  using Responder = std::function<VstIntPtr(const HostCall&)>;

  /// Becomes the active recorder. Until told otherwise it answers like a
  /// VST 2.4 host: 2400 to audioMasterVersion and 0 to everything else.
  RecordingHost();
  ~RecordingHost();
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  static audioMasterCallback callback() { return &receive; }

  /// Replaces the answers; the responder may call back into the plug-in.
  void answerWith(Responder newResponder) { responder = std::move(newResponder); }
  const std::vector<HostCall>& calls() const { return recorded; }
  std::vector<HostCall> callsOf(VstInt32 opcode) const;
  void forget() { recorded.clear(); }

  static constexpr VstIntPtr kHostVersion = 2400;

 private:
  static VstIntPtr VSTCALLBACK receive(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                       void* ptr, float opt);

  std::vector<HostCall> recorded;
  Responder responder;
  RecordingHost* previous;
  static RecordingHost* active;
};
