#include "host_operations.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Buffer sizes as the VST 2 interface fixes them for hosts.
constexpr size_t kProgramNameSize = 24;     // kVstMaxProgNameLen
constexpr size_t kParameterTextSize = 8;    // kVstMaxParamStrLen
constexpr size_t kEffectNameSize = 32;      // kVstMaxEffectNameLen
constexpr size_t kVendorTextSize = 64;      // kVstMaxVendorStrLen, kVstMaxProductStrLen
constexpr size_t kErrorTextSize = 256;
constexpr size_t kParameterPropertiesSize = 152;  // sizeof(VstParameterProperties)
constexpr size_t kOpaqueBlockSize = 256;          // whatever a host passes where the plug-in reads nothing

constexpr int32_t kMaxFrames = 4096;
constexpr int kParameters = 8;
constexpr int kPrograms = 4;

// The clamp keeps the mono sum within the 16-bit range and no gain exceeds
// 128/127, so anything beyond twice that range is a runaway value.
constexpr float kSampleLimit = 65536.0f;

// Bytes beyond the end of every buffer the plug-in may write, and the float
// beyond every block; touching them means the plug-in wrote past its buffer.
constexpr size_t kGuardBytes = 16;
constexpr unsigned char kGuardByte = 0xA5;
constexpr float kGuardSample = 12345.678f;

// Operand reader: past the end every read yields zeros.
class ByteStream {
 public:
  ByteStream(const uint8_t* data, size_t size) : data(data), size(size) {}

  bool empty() const { return position >= size; }

  uint8_t byte() { return position < size ? data[position++] : 0; }

  uint16_t word() { return static_cast<uint16_t>(byte() | (byte() << 8)); }

  uint32_t dword() { return static_cast<uint32_t>(word()) | (static_cast<uint32_t>(word()) << 16); }

  uint64_t qword() { return static_cast<uint64_t>(dword()) | (static_cast<uint64_t>(dword()) << 32); }

  int32_t int32() { return static_cast<int32_t>(dword()); }

  // Mostly a small number around the valid range, sometimes any 32-bit one.
  int32_t smallOrAny(int32_t low, int32_t high) {
    uint8_t selector = byte();
    if (selector >= 200) return int32();
    return low + selector % (high - low + 1);
  }

  // Mostly a small number, sometimes any pointer-sized one.
  VstIntPtr pointerSized(int32_t low, int32_t high) {
    uint8_t selector = byte();
    if (selector >= 200) return static_cast<VstIntPtr>(qword());
    return low + selector % (high - low + 1);
  }

  // The special values first, then values across the nominal 0..1, then any
  // bit pattern at all (other NaNs, denormals, huge numbers).
  float real() {
    uint8_t selector = byte();
    switch (selector) {
      case 0: return std::numeric_limits<float>::quiet_NaN();
      case 1: return std::numeric_limits<float>::infinity();
      case 2: return -std::numeric_limits<float>::infinity();
      case 3: return -0.0f;
      case 4: return std::numeric_limits<float>::denorm_min();
      case 5: return std::numeric_limits<float>::max();
      case 6: return -1.0f;
      default: break;
    }
    if (selector < 128) return static_cast<float>(selector - 7) / 120.0f;
    uint32_t bits = dword();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  std::vector<char> text() {
    std::vector<char> characters(byte() % 72);
    for (char& character : characters) character = static_cast<char>(byte());
    return characters;
  }

 private:
  const uint8_t* data;
  size_t size;
  size_t position = 0;
};

// A buffer of the size a host gives, followed by guard bytes.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t size) : size(size), bytes(size + kGuardBytes, 0) {
    std::memset(bytes.data() + size, kGuardByte, kGuardBytes);
  }

  char* data() { return bytes.data(); }

  void fill(const std::vector<char>& content) {
    if (!content.empty()) std::memcpy(bytes.data(), content.data(), std::min(content.size(), size));
  }

  bool guardIntact() const {
    for (size_t i = size; i < bytes.size(); ++i) {
      if (static_cast<unsigned char>(bytes[i]) != kGuardByte) return false;
    }
    return true;
  }

  bool terminated() const { return std::memchr(bytes.data(), 0, size) != nullptr; }

 private:
  size_t size;
  std::vector<char> bytes;
};

// What the host knows it stored.
struct HostModel {
  float values[kPrograms][kParameters];
  std::string names[kPrograms];
  int program = 0;
};

std::string readProgramName(AEffect* effect) {
  char name[kProgramNameSize + 1] = {};
  effect->dispatcher(effect, effGetProgramName, 0, 0, name, 0.0f);
  return std::string(name, strnlen(name, kProgramNameSize));
}

HostModel observeModel(AEffect* effect) {
  HostModel model;
  VstIntPtr current = effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f);
  for (int program = 0; program < kPrograms; ++program) {
    effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f);
    model.names[program] = readProgramName(effect);
    for (int index = 0; index < kParameters; ++index) model.values[program][index] = effect->getParameter(effect, index);
  }
  effect->dispatcher(effect, effSetProgram, 0, current, nullptr, 0.0f);
  model.program = static_cast<int>(current);
  return model;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class OperationPlayer {
 public:
  OperationPlayer(AEffect* effect, const uint8_t* data, size_t size)
      : effect(effect), input(data, size), model(observeModel(effect)) {}

  std::string run() {
    for (operation = 1; !input.empty(); ++operation) {
      switch (static_cast<HostOperation>(input.byte() % static_cast<uint8_t>(HostOperation::count))) {
        case HostOperation::dispatch: dispatch(); break;
        case HostOperation::setParameter: setParameter(); break;
        case HostOperation::getParameter: getParameter(); break;
        case HostOperation::sendEvents: sendEvents(); break;
        case HostOperation::renderReplacing: render(true); break;
        case HostOperation::renderAccumulating: render(false); break;
        case HostOperation::checkState: checkState(); break;
        case HostOperation::chunkRoundTrip: chunkRoundTrip(); break;
        case HostOperation::count: break;
      }
      if (!failure.empty()) return failure;
    }
    checkState();
    return failure;
  }

 private:
  void fail(const std::string& what) {
    if (failure.empty()) failure = "operation " + std::to_string(operation) + ": " + what;
  }

  void dispatch() {
    uint8_t selector = input.byte();
    int32_t opcode = selector >= 240 ? input.int32() : selector % 64 - 2;
    int32_t index = input.smallOrAny(-2, 9);
    VstIntPtr value = input.pointerSized(-2, 9);
    float opt = input.real();
    std::vector<char> text = input.text();

    switch (opcode) {
      case effClose:          // ends the instance: the caller's job
      case effEditOpen:       // needs a parent window
      case effProcessEvents:  // an operation of its own
        return;
      case effSetProgramName:
      case effCanDo:
      case effString2Parameter:
        return dispatchWithString(opcode, index, value, opt, text);
      case effGetProgramName:
      case effGetProgramNameIndexed:
        return dispatchWithTextBuffer(opcode, index, value, opt, text, kProgramNameSize);
      case effGetParamLabel:
      case effGetParamDisplay:
      case effGetParamName:
        return dispatchWithTextBuffer(opcode, index, value, opt, text, kParameterTextSize);
      case effGetEffectName:
        return dispatchWithTextBuffer(opcode, index, value, opt, text, kEffectNameSize);
      case effGetVendorString:
      case effGetProductString:
        return dispatchWithTextBuffer(opcode, index, value, opt, text, kVendorTextSize);
      case effGetErrorText:
        return dispatchWithTextBuffer(opcode, index, value, opt, text, kErrorTextSize);
      case effGetInputProperties:
      case effGetOutputProperties:
        return dispatchWithPinProperties(opcode, index, value, opt);
      case effEditGetRect:
        return dispatchGetRect(index, value, opt);
      case effGetChunk:
        return dispatchGetChunk(index, value, opt);
      case effSetChunk:
        return dispatchSetChunk(index, opt, text);
      case effGetParameterProperties:
        return dispatchWithBlock(opcode, index, value, opt, text, kParameterPropertiesSize);
      case effSetSpeakerArrangement: {
        // Both operands are the host's arrangement records.
        GuardedBuffer inputArrangement(kOpaqueBlockSize), outputArrangement(kOpaqueBlockSize);
        effect->dispatcher(effect, opcode, index, reinterpret_cast<VstIntPtr>(inputArrangement.data()),
                           outputArrangement.data(), opt);
        if (!inputArrangement.guardIntact() || !outputArrangement.guardIntact())
          fail("effSetSpeakerArrangement wrote past the host's records");
        return;
      }
      default:
        // Opcodes that take no pointer get null or, as careless hosts do, a
        // block of whatever was at hand.
        if (text.size() % 2 == 0) {
          effect->dispatcher(effect, opcode, index, value, nullptr, opt);
        } else {
          dispatchWithBlock(opcode, index, value, opt, text, kOpaqueBlockSize);
        }
        if (opcode == effSetProgram && value >= 0 && value < kPrograms) model.program = static_cast<int>(value);
        return;
    }
  }

  void dispatchWithString(int32_t opcode, int32_t index, VstIntPtr value, float opt, std::vector<char> text) {
    // Hosts hand over zero-terminated strings, sized to the string.
    text.push_back('\0');
    effect->dispatcher(effect, opcode, index, value, text.data(), opt);
    if (opcode == effSetProgramName) {
      std::string given(text.data());
      model.names[model.program] = given.substr(0, kProgramNameSize - 1);
    }
  }

  void dispatchWithTextBuffer(int32_t opcode, int32_t index, VstIntPtr value, float opt,
                              const std::vector<char>& previous, size_t size) {
    GuardedBuffer buffer(size);
    buffer.fill(previous);
    VstIntPtr answer = effect->dispatcher(effect, opcode, index, value, buffer.data(), opt);
    if (!buffer.guardIntact()) fail("opcode " + std::to_string(opcode) + " wrote past a " + std::to_string(size) + "-byte text buffer");
    // Texts the plug-in owns must arrive terminated; the others it may leave untouched when it answers 0.
    bool mustTerminate = opcode == effGetProgramName || opcode == effGetParamLabel || opcode == effGetParamDisplay ||
                         opcode == effGetParamName || answer != 0;
    if (mustTerminate && !buffer.terminated()) fail("opcode " + std::to_string(opcode) + " left its text unterminated");
    if (opcode == effGetProgramName && buffer.terminated() && model.names[model.program] != buffer.data())
      fail("effGetProgramName gave \"" + std::string(buffer.data()) + "\" where \"" + model.names[model.program] +
           "\" was set");
  }

  void dispatchWithBlock(int32_t opcode, int32_t index, VstIntPtr value, float opt, const std::vector<char>& content,
                         size_t size) {
    GuardedBuffer block(size);
    block.fill(content);
    effect->dispatcher(effect, opcode, index, value, block.data(), opt);
    if (!block.guardIntact()) fail("opcode " + std::to_string(opcode) + " wrote past the host's block");
  }

  void dispatchWithPinProperties(int32_t opcode, int32_t index, VstIntPtr value, float opt) {
    GuardedBuffer properties(sizeof(VstPinProperties));
    VstIntPtr answer = effect->dispatcher(effect, opcode, index, value, properties.data(), opt);
    if (!properties.guardIntact()) fail("pin properties written past the record");
    if (answer != 0 && std::memchr(properties.data(), 0, sizeof(VstPinProperties::label)) == nullptr)
      fail("pin label left unterminated");
  }

  void dispatchGetRect(int32_t index, VstIntPtr value, float opt) {
    ERect* rect = nullptr;
    VstIntPtr answer = effect->dispatcher(effect, effEditGetRect, index, value, &rect, opt);
    if (answer == 0) return;
    if (rect == nullptr) return fail("effEditGetRect answered yes without a rectangle");
    if (rect->right - rect->left != 300 || rect->bottom - rect->top != 200)
      fail("the editor rectangle is not 300 by 200");
  }

  void dispatchGetChunk(int32_t index, VstIntPtr value, float opt) {
    void* chunk = nullptr;
    VstIntPtr answer = effect->dispatcher(effect, effGetChunk, index, value, &chunk, opt);
    if (answer < 0) return fail("effGetChunk answered a negative size");
    if (answer > 0) {
      if (chunk == nullptr) return fail("effGetChunk answered a size without data");
      // Reading it all lets the sanitizers see a chunk shorter than announced.
      volatile unsigned char sum = 0;
      for (VstIntPtr i = 0; i < answer; ++i) sum = static_cast<unsigned char>(sum + static_cast<unsigned char*>(chunk)[i]);
    }
  }

  void dispatchSetChunk(int32_t index, float opt, const std::vector<char>& content) {
    // A host announces the size it really hands over.
    std::vector<char> chunk(content);
    VstIntPtr answer =
        effect->dispatcher(effect, effSetChunk, index, static_cast<VstIntPtr>(chunk.size()), chunk.data(), opt);
    if (answer != 0) tookChunk(index != 0);
  }

  // The host's copy of a chunk, as it would keep it in a session.
  std::vector<char> takeChunk(bool program) {
    void* data = nullptr;
    VstIntPtr size = effect->dispatcher(effect, effGetChunk, program ? 1 : 0, 0, &data, 0.0f);
    if (size <= 0 || data == nullptr) {
      fail("effGetChunk gave no chunk");
      return {};
    }
    const char* bytes = static_cast<const char*>(data);
    return std::vector<char>(bytes, bytes + size);
  }

  VstIntPtr giveChunk(bool program, std::vector<char>& blob, VstIntPtr announced) {
    return effect->dispatcher(effect, effSetChunk, program ? 1 : 0, announced, blob.empty() ? nullptr : blob.data(),
                              0.0f);
  }

  // Damage of a few kinds at chosen places: bytes set or flipped, the blob cut
  // short or lengthened, a float put where a value may lie.
  bool damage(std::vector<char>& blob) {
    int count = input.byte() % 4;
    for (int i = 0; i < count; ++i) {
      uint8_t kind = input.byte();
      size_t position = blob.empty() ? 0 : input.word() % blob.size();
      uint8_t value = input.byte();
      switch (kind % 4) {
        case 0: if (!blob.empty()) blob[position] = static_cast<char>(value); break;
        case 1: if (!blob.empty()) blob[position] = static_cast<char>(blob[position] ^ (value | 1)); break;
        case 2: blob.resize(value % 2 ? position : blob.size() + value); break;
        case 3: {
          float real = input.real();
          position &= ~size_t{3};
          if (position + sizeof real <= blob.size()) std::memcpy(&blob[position], &real, sizeof real);
          break;
        }
      }
    }
    return count > 0;
  }

  void chunkRoundTrip() {
    uint8_t shape = input.byte();
    bool takeProgram = shape & 1, giveProgram = shape & 2 ? !takeProgram : takeProgram;
    std::vector<char> blob = takeChunk(takeProgram);
    if (blob.empty()) return;
    bool damaged = damage(blob);
    uint8_t sizeSelector = input.byte();
    VstIntPtr announced = static_cast<VstIntPtr>(blob.size());
    if (sizeSelector >= 240) announced -= static_cast<VstIntPtr>(sizeSelector - 240) + 1;  // less than handed over

    VstIntPtr answer = giveChunk(giveProgram, blob, announced);
    if (!damaged && giveProgram == takeProgram && announced == static_cast<VstIntPtr>(blob.size())) {
      if (answer != 1) return fail("the plug-in refused its own chunk");
      if (takeChunk(takeProgram) != blob) return fail("a chunk taken back is handed out changed");
    }
    if (answer != 0) return tookChunk(giveProgram);
    if (!sameAsObserved(model)) fail("a refused chunk changed the programs");
  }

  // Whether the plug-in's programs, names and current program are those of `known`.
  bool sameAsObserved(const HostModel& known) {
    HostModel observed = observeModel(effect);
    if (observed.program != known.program) return false;
    for (int program = 0; program < kPrograms; ++program) {
      if (observed.names[program] != known.names[program] ||
          std::memcmp(observed.values[program], known.values[program], sizeof observed.values[program]) != 0)
        return false;
    }
    return true;
  }

  // A blob the plug-in took sets every program of a bank, or the current
  // one: what it now reports becomes what the host knows, and what the blob
  // set must be finite. Taken out and handed back, the bank must be taken
  // again and change nothing.
  void tookChunk(bool program) {
    model = observeModel(effect);
    for (int set = 0; set < kPrograms; ++set) {
      if (program && set != model.program) continue;
      for (float value : model.values[set]) {
        if (!std::isfinite(value)) return fail("a chunk the plug-in took set a value that is not finite");
      }
    }
    std::vector<char> bank = takeChunk(false);
    if (bank.empty()) return;
    if (giveChunk(false, bank, static_cast<VstIntPtr>(bank.size())) != 1) return fail("the plug-in refused its own bank");
    // A value the host stored that is not a number may come back as a finite
    // one; everything else must come back bit for bit.
    HostModel again = observeModel(effect);
    bool kept = again.program == model.program;
    for (int program = 0; program < kPrograms; ++program) {
      kept = kept && again.names[program] == model.names[program];
      for (int index = 0; index < kParameters; ++index) {
        float before = model.values[program][index], after = again.values[program][index];
        kept = kept && (std::isfinite(before) ? sameBits(before, after) : std::isfinite(after));
      }
    }
    if (!kept) return fail("handing back its own bank changed the programs");
    model = again;
  }

  void setParameter() {
    int32_t index = input.smallOrAny(-2, 9);
    float value = input.real();
    effect->setParameter(effect, index, value);
    if (index >= 0 && index < kParameters) model.values[model.program][index] = value;
  }

  void getParameter() {
    int32_t index = input.smallOrAny(-2, 9);
    float got = effect->getParameter(effect, index);
    if (index >= 0 && index < kParameters) {
      if (!sameBits(got, model.values[model.program][index]))
        fail("getParameter(" + std::to_string(index) + ") does not return the value set");
    } else if (got != 0.0f) {
      fail("getParameter(" + std::to_string(index) + ") outside 0..7 is not 0");
    }
  }

  void sendEvents() {
    uint8_t sizeSelector = input.byte();
    int32_t count = sizeSelector >= 250 ? input.word() % (kMaxFrames + 1) : sizeSelector % 48;
    std::vector<VstMidiEvent> events(static_cast<size_t>(count));
    std::vector<unsigned char> listStorage(offsetof(VstEvents, events) +
                                           static_cast<size_t>(std::max(count, 2)) * sizeof(VstEvent*));
    VstEvents* list = reinterpret_cast<VstEvents*>(listStorage.data());
    VstEvent** entries = eventEntries(list);
    // A host never lists more events than it hands over, but may list fewer.
    uint8_t countSelector = input.byte();
    list->numEvents = countSelector < 200 ? count : std::min(count, static_cast<int32_t>(countSelector) - 203);
    for (int32_t i = 0; i < count; ++i) {
      VstMidiEvent& event = events[static_cast<size_t>(i)];
      uint8_t shape = input.byte();
      event.type = shape & 0x80 ? input.int32() : kVstMidiType;
      event.byteSize = shape & 0x40 ? input.int32() : static_cast<int32_t>(sizeof(VstMidiEvent));
      event.deltaFrames = shape & 0x20 ? input.int32() : input.word() % (kMaxFrames + 256);
      event.flags = shape & 0x10 ? input.int32() : 0;
      midiMessage(shape & 0x0F, event.midiData);
      entries[i] = reinterpret_cast<VstEvent*>(&event);
    }
    VstIntPtr answer = effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
    if (answer != 1) fail("effProcessEvents did not answer 1");
  }

  // Well-formed note, controller and bend messages most of the time, so that
  // sequences of them reach deep into the renderer; any four bytes otherwise.
  void midiMessage(uint8_t kind, char* bytes) {
    static const uint8_t kControllers[] = {1, 7, 10, 123, 126, 64, 0};
    uint8_t message[4] = {};
    const uint8_t channel = input.byte() & 0x0F;
    if (kind >= 4 && kind <= 7) {
      message[0] = 0x90 | channel;
      message[1] = input.byte() & 0x7F;
      message[2] = input.byte() & 0x7F;
    } else if (kind == 8 || kind == 9) {
      message[0] = 0x80 | channel;
      message[1] = input.byte() & 0x7F;
      message[2] = input.byte() & 0x7F;
    } else if (kind == 10 || kind == 11) {
      const uint8_t choice = input.byte() % (sizeof kControllers + 1);
      message[0] = 0xB0 | channel;
      message[1] = choice < sizeof kControllers ? kControllers[choice] : input.byte() & 0x7F;
      message[2] = input.byte() & 0x7F;
    } else if (kind == 12) {
      message[0] = 0xE0 | channel;
      message[1] = input.byte() & 0x7F;
      message[2] = input.byte() & 0x7F;
    } else {
      message[0] = static_cast<uint8_t>(input.byte() & 0xF0) | channel;
      for (int i = 1; i < 4; ++i) message[i] = input.byte();
    }
    std::memcpy(bytes, message, sizeof message);
  }

  void render(bool replacing) {
    int32_t frames = input.word() % (kMaxFrames + 1);
    std::vector<float> left(static_cast<size_t>(frames) + kGuardBytes, kGuardSample);
    std::vector<float> right(static_cast<size_t>(frames) + kGuardBytes, kGuardSample);
    std::fill_n(left.begin(), frames, 7.0f);
    std::fill_n(right.begin(), frames, 7.0f);
    float* outputs[2] = {left.data(), right.data()};
    if (replacing)
      effect->processReplacing(effect, nullptr, outputs, frames);
    else
      effect->process(effect, nullptr, outputs, frames);

    const char* name = replacing ? "processReplacing" : "process";
    for (int32_t i = 0; i < frames; ++i) {
      float l = left[static_cast<size_t>(i)], r = right[static_cast<size_t>(i)];
      if (!std::isfinite(l) || !std::isfinite(r))
        return fail(std::string(name) + " wrote a sample that is not finite at frame " + std::to_string(i));
      if (std::fabs(l) > kSampleLimit || std::fabs(r) > kSampleLimit)
        return fail(std::string(name) + " wrote a runaway sample at frame " + std::to_string(i));
      if (!replacing && (l != 0.0f || r != 0.0f)) return fail("process wrote something other than silence");
    }
    for (size_t i = static_cast<size_t>(frames); i < left.size(); ++i) {
      if (!sameBits(left[i], kGuardSample) || !sameBits(right[i], kGuardSample))
        return fail(std::string(name) + " wrote past the end of a " + std::to_string(frames) + "-frame block");
    }
  }

  void checkState() {
    for (int index = 0; index < kParameters; ++index) {
      if (!sameBits(effect->getParameter(effect, index), model.values[model.program][index]))
        return fail("parameter " + std::to_string(index) + " of program " + std::to_string(model.program) +
                    " no longer holds the value the host set");
    }
    VstIntPtr program = effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f);
    if (program != model.program)
      return fail("effGetProgram answers " + std::to_string(program) + " after program " +
                  std::to_string(model.program) + " was selected");
    if (readProgramName(effect) != model.names[model.program]) fail("the program name is not the one set");
  }

  AEffect* effect;
  ByteStream input;
  HostModel model;
  int operation = 0;
  std::string failure;
};

}  // namespace

std::string runHostOperations(AEffect* effect, const uint8_t* data, size_t size) {
  return OperationPlayer(effect, data, size).run();
}

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}
