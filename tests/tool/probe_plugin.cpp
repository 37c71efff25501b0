// A VST 2 instrument written only to watch a host at work. It logs every call
// it receives, one line each, to the file named by QUORLIN_PROBE_LOG, and it
// writes every MIDI event it is sent into its audio at the event's frame:
// left = status * 1000 + data 1, right = data 2 + 1, all else silence. The
// WAV file a host renders through it shows where each event landed.
//
// Further behaviour on request, through the environment:
//   QUORLIN_PROBE_RAISE="N S..."      in its Nth block, raises each signal S
//                                     in turn, as a user's Ctrl-C would arrive
//   QUORLIN_PROBE_MAX_INSTANCES=N     main answers null while N instances live
//   QUORLIN_PROBE_BLOCK_MILLISECONDS=N  every block takes at least N ms
//   QUORLIN_PROBE_CHUNKS=take|refuse  it says it has program chunks: its
//                                     chunk is its parameters' bytes, and it
//                                     takes a chunk of that size (or answers
//                                     0 to every chunk)
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>

#include "vst2/interface/vst2_abi.h"

#ifdef _WIN32
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr int kPrograms = 3;
constexpr int kParameters = 4;
// Larger than any block the tests use; a larger block is logged and rendered silent.
constexpr int kMaxEvents = 4096;

struct Probe {
  AEffect effect;
  audioMasterCallback host;
  float parameters[kParameters];
  VstMidiEvent pending[kMaxEvents];
  int pendingCount;
  int blocks;
};

std::atomic<int> liveInstances{0};

int environmentNumber(const char* name) {
  const char* text = std::getenv(name);
  return text != nullptr ? std::atoi(text) : 0;
}

void logLine(const std::string& line) {
  const char* path = std::getenv("QUORLIN_PROBE_LOG");
  if (path == nullptr) return;
  if (std::FILE* log = std::fopen(path, "a")) {
    std::fprintf(log, "%s\n", line.c_str());
    std::fclose(log);
  }
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

Probe& probeOf(AEffect* effect) { return *static_cast<Probe*>(effect->object); }

void receiveEvents(Probe& probe, const VstEvents* events) {
  std::string line = "events " + std::to_string(events->numEvents) + ":";
  probe.pendingCount = 0;
  for (int i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = eventEntries(events)[i];
    if (event->type != kVstMidiType || probe.pendingCount == kMaxEvents) continue;
    const VstMidiEvent& midi = *reinterpret_cast<const VstMidiEvent*>(event);
    probe.pending[probe.pendingCount++] = midi;
    char text[64];
    std::snprintf(text, sizeof text, " %d=%02X,%d,%d,%d", midi.deltaFrames, midi.midiData[0] & 0xFF,
                  midi.midiData[1] & 0xFF, midi.midiData[2] & 0xFF, midi.midiData[3] & 0xFF);
    line += text;
  }
  logLine(line);
}

VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) {
  Probe& probe = probeOf(effect);
  switch (opcode) {
    case effOpen:
      logLine("open");
      return 0;
    case effClose:
      logLine("close");
      delete &probe;
      --liveInstances;
      return 1;
    case effSetSampleRate:
      logLine("sampleRate " + number(opt) + " host says " +
              number(static_cast<double>(probe.host(effect, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f))));
      return 0;
    case effSetBlockSize:
      logLine("blockSize " + std::to_string(value) + " host says " +
              std::to_string(probe.host(effect, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f)));
      return 0;
    case effSetProgram: {
      // Like an instrument that applies its values on a program change: log what it applies.
      std::string line = "program " + std::to_string(value) + " applies";
      for (float parameter : probe.parameters) line += " " + number(parameter);
      logLine(line);
      return 0;
    }
    case effMainsChanged:
      logLine("mains " + std::to_string(value));
      return 0;
    case effProcessEvents:
      receiveEvents(probe, static_cast<const VstEvents*>(ptr));
      return 1;
    case effGetEffectName:
      std::strcpy(static_cast<char*>(ptr), "Probe");
      return 1;
    case effGetProgramName:
      std::strcpy(static_cast<char*>(ptr), "probe program");
      return 0;
    case effSetProgramName:
      logLine(std::string("programName ") + static_cast<const char*>(ptr));
      return 0;
    case effGetChunk:
      logLine(std::string("getChunk ") + (index != 0 ? "program" : "bank"));
      *static_cast<void**>(ptr) = probe.parameters;
      return sizeof probe.parameters;
    case effSetChunk: {
      logLine(std::string("setChunk ") + (index != 0 ? "program " : "bank ") + std::to_string(value) + " bytes");
      const char* chunks = std::getenv("QUORLIN_PROBE_CHUNKS");
      if (chunks == nullptr || std::strcmp(chunks, "take") != 0 || value != sizeof probe.parameters) return 0;
      std::memcpy(probe.parameters, ptr, sizeof probe.parameters);
      return 1;
    }
    default:
      (void)index;
      return 0;
  }
}

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value) {
  logLine("setParameter " + std::to_string(index) + " " + number(value));
  if (index >= 0 && index < kParameters) probeOf(effect).parameters[index] = value;
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index) {
  return index >= 0 && index < kParameters ? probeOf(effect).parameters[index] : 0.0f;
}

void VSTCALLBACK processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  (void)inputs;
  Probe& probe = probeOf(effect);
  logLine("process " + std::to_string(frames));
  std::memset(outputs[0], 0, sizeof(float) * static_cast<size_t>(frames));
  std::memset(outputs[1], 0, sizeof(float) * static_cast<size_t>(frames));
  for (int i = 0; i < probe.pendingCount; ++i) {
    const VstMidiEvent& event = probe.pending[i];
    if (event.deltaFrames < 0 || event.deltaFrames >= frames) continue;  // misplaced: lost, and the test sees it
    outputs[0][event.deltaFrames] += static_cast<float>((event.midiData[0] & 0xFF) * 1000 + (event.midiData[1] & 0xFF));
    outputs[1][event.deltaFrames] += static_cast<float>((event.midiData[2] & 0xFF) + 1);
  }
  probe.pendingCount = 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(environmentNumber("QUORLIN_PROBE_BLOCK_MILLISECONDS")));
  std::istringstream raise(std::getenv("QUORLIN_PROBE_RAISE") != nullptr ? std::getenv("QUORLIN_PROBE_RAISE") : "");
  int block = 0;
  if (raise >> block && ++probe.blocks == block) {
    for (int number = 0; raise >> number;) std::raise(number);
  }
}

void VSTCALLBACK process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  processReplacing(effect, inputs, outputs, frames);
}

}  // namespace

PROBE_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
  logLine("main host version " + std::to_string(host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f)));
  const int maxInstances = environmentNumber("QUORLIN_PROBE_MAX_INSTANCES");
  if (++liveInstances > maxInstances && maxInstances > 0) {
    --liveInstances;
    logLine("refused");
    return nullptr;
  }
  Probe* probe = new Probe{};
  probe->host = host;
  AEffect& effect = probe->effect;
  effect.magic = kEffectMagic;
  effect.dispatcher = dispatcher;
  effect.process = process;
  effect.setParameter = setParameter;
  effect.getParameter = getParameter;
  effect.processReplacing = processReplacing;
  effect.numPrograms = kPrograms;
  effect.numParams = kParameters;
  effect.numInputs = 0;
  effect.numOutputs = 2;
  effect.flags = effFlagsCanReplacing | effFlagsIsSynth;
  const char* chunks = std::getenv("QUORLIN_PROBE_CHUNKS");
  if (chunks != nullptr && *chunks != '\0') effect.flags |= effFlagsProgramChunks;
  effect.object = probe;
  effect.uniqueID = fourCharCode('P', 'r', 'o', 'b');
  effect.version = 1;
  return &effect;
}
