// The VST 2 binary interface, declared from its published numbers.
//
// Shared by the module, the test host and quorlin-host. On 32-bit Windows
// every pointer-sized field is 32 bits wide and AEffect is 144 bytes; on
// x86-64 (Linux and Windows) the value arguments, answers and reserved words
// are pointer-sized, which is the layout 64-bit hosts use: AEffect is 192 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

typedef intptr_t VstIntPtr;
typedef int32_t VstInt32;

struct AEffect;

typedef VstIntPtr(VSTCALLBACK* audioMasterCallback)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                     VstIntPtr value, void* ptr, float opt);
typedef VstIntPtr(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                       VstIntPtr value, void* ptr, float opt);
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                               VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float value);
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

// Four characters packed first-character-most-significant, as VST identifiers are.
constexpr VstInt32 fourCharCode(char a, char b, char c, char d) {
  return static_cast<VstInt32>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                               (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                               (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                               static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

constexpr VstInt32 kEffectMagic = fourCharCode('V', 's', 't', 'P');

struct AEffect {
  VstInt32 magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;
  VstIntPtr resvd1;
  VstIntPtr resvd2;
  VstInt32 initialDelay;
  VstInt32 realQualities;
  VstInt32 offQualities;
  float ioRatio;
  void* object;
  void* user;
  VstInt32 uniqueID;
  VstInt32 version;
  AEffectProcessProc processReplacing;
  char future[60];
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(AEffect) == 144, "AEffect must be 144 bytes on the 32-bit target");
static_assert(offsetof(AEffect, magic) == 0, "magic");
static_assert(offsetof(AEffect, dispatcher) == 4, "dispatcher");
static_assert(offsetof(AEffect, process) == 8, "process");
static_assert(offsetof(AEffect, setParameter) == 12, "setParameter");
static_assert(offsetof(AEffect, getParameter) == 16, "getParameter");
static_assert(offsetof(AEffect, numPrograms) == 20, "numPrograms");
static_assert(offsetof(AEffect, numParams) == 24, "numParams");
static_assert(offsetof(AEffect, numInputs) == 28, "numInputs");
static_assert(offsetof(AEffect, numOutputs) == 32, "numOutputs");
static_assert(offsetof(AEffect, flags) == 36, "flags");
static_assert(offsetof(AEffect, resvd1) == 40, "resvd1");
static_assert(offsetof(AEffect, resvd2) == 44, "resvd2");
static_assert(offsetof(AEffect, initialDelay) == 48, "initialDelay");
static_assert(offsetof(AEffect, realQualities) == 52, "realQualities");
static_assert(offsetof(AEffect, offQualities) == 56, "offQualities");
static_assert(offsetof(AEffect, ioRatio) == 60, "ioRatio");
static_assert(offsetof(AEffect, object) == 64, "object");
static_assert(offsetof(AEffect, user) == 68, "user");
static_assert(offsetof(AEffect, uniqueID) == 72, "uniqueID");
static_assert(offsetof(AEffect, version) == 76, "version");
static_assert(offsetof(AEffect, processReplacing) == 80, "processReplacing");
static_assert(offsetof(AEffect, future) == 84, "future");
#elif UINTPTR_MAX == UINT64_MAX
// Linux x86-64 and 64-bit Windows alike: pointer-sized fields at 8-byte places.
static_assert(sizeof(AEffect) == 192, "AEffect must be 192 bytes on a 64-bit target");
static_assert(offsetof(AEffect, magic) == 0, "magic");
static_assert(offsetof(AEffect, dispatcher) == 8, "dispatcher");
static_assert(offsetof(AEffect, process) == 16, "process");
static_assert(offsetof(AEffect, setParameter) == 24, "setParameter");
static_assert(offsetof(AEffect, getParameter) == 32, "getParameter");
static_assert(offsetof(AEffect, numPrograms) == 40, "numPrograms");
static_assert(offsetof(AEffect, numParams) == 44, "numParams");
static_assert(offsetof(AEffect, numInputs) == 48, "numInputs");
static_assert(offsetof(AEffect, numOutputs) == 52, "numOutputs");
static_assert(offsetof(AEffect, flags) == 56, "flags");
static_assert(offsetof(AEffect, resvd1) == 64, "resvd1");
static_assert(offsetof(AEffect, resvd2) == 72, "resvd2");
static_assert(offsetof(AEffect, initialDelay) == 80, "initialDelay");
static_assert(offsetof(AEffect, realQualities) == 84, "realQualities");
static_assert(offsetof(AEffect, offQualities) == 88, "offQualities");
static_assert(offsetof(AEffect, ioRatio) == 92, "ioRatio");
static_assert(offsetof(AEffect, object) == 96, "object");
static_assert(offsetof(AEffect, user) == 104, "user");
static_assert(offsetof(AEffect, uniqueID) == 112, "uniqueID");
static_assert(offsetof(AEffect, version) == 116, "version");
static_assert(offsetof(AEffect, processReplacing) == 120, "processReplacing");
static_assert(offsetof(AEffect, future) == 128, "future");
#endif

// Flags of AEffect::flags.
enum : VstInt32 {
  effFlagsHasEditor = 1,
  effFlagsHasClip = 2,
  effFlagsHasVu = 4,
  effFlagsCanMono = 8,
  effFlagsCanReplacing = 16,
  effFlagsProgramChunks = 32,
  effFlagsIsSynth = 256,
  effFlagsNoSoundInStop = 512,
  effFlagsExtIsAsync = 1024,
  effFlagsExtHasBuffer = 2048,
};

// Dispatcher opcodes, host to plug-in.
enum : VstInt32 {
  effOpen = 0,
  effClose,
  effSetProgram,
  effGetProgram,
  effSetProgramName,
  effGetProgramName,
  effGetParamLabel,
  effGetParamDisplay,
  effGetParamName,
  effGetVu,
  effSetSampleRate,
  effSetBlockSize,
  effMainsChanged,
  effEditGetRect,
  effEditOpen,
  effEditClose,
  effEditDraw,
  effEditMouse,
  effEditKey,
  effEditIdle,
  effEditTop,
  effEditSleep,
  effIdentify,
  effGetChunk,
  effSetChunk,
  effProcessEvents,  // 25
  effCanBeAutomated,
  effString2Parameter,
  effGetNumProgramCategories,
  effGetProgramNameIndexed,
  effCopyProgram,
  effConnectInput,
  effConnectOutput,
  effGetInputProperties,
  effGetOutputProperties,
  effGetPlugCategory,
  effGetCurrentPosition,
  effGetDestinationBuffer,
  effOfflineNotify,
  effOfflinePrepare,
  effOfflineRun,
  effProcessVarIo,
  effSetSpeakerArrangement,
  effSetBlockSizeAndSampleRate,
  effSetBypass,
  effGetEffectName,
  effGetErrorText,
  effGetVendorString,
  effGetProductString,
  effGetVendorVersion,
  effVendorSpecific,
  effCanDo,
  effGetTailSize,
  effIdle,
  effGetIcon,
  effSetViewPosition,
  effGetParameterProperties,
  effKeysRequired,
  effGetVstVersion,  // 58
};
static_assert(effProcessEvents == 25 && effGetVstVersion == 58, "opcode numbering");

// Host callback opcodes, plug-in to host.
enum : VstInt32 {
  audioMasterAutomate = 0,
  audioMasterVersion,
  audioMasterCurrentId,
  audioMasterIdle,
  audioMasterPinConnected,
  audioMasterWantMidi = 6,
  audioMasterGetTime,
  audioMasterProcessEvents,
  audioMasterSetTime,
  audioMasterTempoAt,
  audioMasterGetNumAutomatableParameters,
  audioMasterGetParameterQuantization,
  audioMasterIOChanged,
  audioMasterNeedIdle,
  audioMasterSizeWindow,
  audioMasterGetSampleRate,
  audioMasterGetBlockSize,
  audioMasterGetInputLatency,
  audioMasterGetOutputLatency,
  audioMasterGetPreviousPlug,
  audioMasterGetNextPlug,
  audioMasterWillReplaceOrAccumulate,
  audioMasterGetCurrentProcessLevel,
  audioMasterGetAutomationState,
  audioMasterOfflineStart,
  audioMasterOfflineRead,
  audioMasterOfflineWrite,
  audioMasterOfflineGetCurrentPass,
  audioMasterOfflineGetCurrentMetaPass,
  audioMasterSetOutputSampleRate,
  audioMasterGetSpeakerArrangement,
  audioMasterGetVendorString,
  audioMasterGetProductString,
  audioMasterGetVendorVersion,
  audioMasterVendorSpecific,
  audioMasterSetIcon,
  audioMasterCanDo,
  audioMasterGetLanguage,
  audioMasterOpenWindow,
  audioMasterCloseWindow,
  audioMasterGetDirectory,
  audioMasterUpdateDisplay,  // 42
};
static_assert(audioMasterOfflineStart == 25 && audioMasterUpdateDisplay == 42, "host opcode numbering");

enum : VstInt32 {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
};

enum : VstInt32 {
  kVstMidiType = 1,
};

enum : VstInt32 {
  kVstPinIsActive = 1,
  kVstPinIsStereo = 2,
};

struct ERect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};
static_assert(sizeof(ERect) == 8, "ERect is four 16-bit values");

// The generic event header every entry of a VstEvents list starts with.
struct VstEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  char data[16];
};

struct VstMidiEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 noteLength;
  VstInt32 noteOffset;
  char midiData[4];
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};
static_assert(sizeof(VstMidiEvent) == 32, "a MIDI event record is 32 bytes");
static_assert(sizeof(VstEvent) == 32, "an event header is 32 bytes");

// A list of numEvents pointers; hosts allocate it with room for as many as they send.
struct VstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(offsetof(VstEvents, reserved) == 4 && offsetof(VstEvents, events) == 8,
              "the event list's entries start at 8 on the 32-bit target");
#elif UINTPTR_MAX == UINT64_MAX
static_assert(offsetof(VstEvents, reserved) == 8 && offsetof(VstEvents, events) == 16,
              "the event list's entries start at 16 on a 64-bit target");
#endif

// A list's pointers. Hosts allocate the list with room for all numEvents of
// them; the declared two-element array only marks where they start, so they
// are reached through the list's address rather than through that array.
inline VstEvent** eventEntries(VstEvents* list) {
  return reinterpret_cast<VstEvent**>(reinterpret_cast<char*>(list) + offsetof(VstEvents, events));
}
inline VstEvent* const* eventEntries(const VstEvents* list) {
  return reinterpret_cast<VstEvent* const*>(reinterpret_cast<const char*>(list) + offsetof(VstEvents, events));
}

struct VstPinProperties {
  char label[64];
  VstInt32 flags;
  VstInt32 arrangementType;
  char shortLabel[8];
  char future[48];
};
static_assert(sizeof(VstPinProperties) == 128, "pin properties are 128 bytes");

// The entry point every VST 2 module exports as "main" (and "VSTPluginMain").
typedef AEffect*(VSTCALLBACK* VstPluginMainProc)(audioMasterCallback host);
