// One instance of an instrument plug-in, whatever its format, driven the way
// an offline host drives one:
//
//   configure (rate, block size, preset, program, parameters)
//   start -> { sendEvents, process } per block -> stop
//
// and asked, between those, to describe itself, to hand over the state it
// holds and to open its editor. The commands know instruments only through
// this interface; each plug-in format implements it in a folder of its own
// (vst2/, lv2/, clap/).
//
// Events and processing run on the thread that renders; every other call is
// an interface call. Several instances may run at once, each driven by one
// thread of its own (a batch's jobs); the implementations keep the calls that
// plug-ins expect from a single interface thread apart (interface_thread.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/files/midi_schedule.h"
#include "tools/hosting/instrument_description.h"

class HostWindow;

// --param KEY=VALUE: KEY is a parameter's number, an LV2 port's symbol or a
// CLAP parameter's id or name.
struct ParameterSetting {
  std::string key;
  float value = 0.0f;
  std::string valueText;  // as given, for messages
};

// The rates and block sizes a host offers.
constexpr int32_t kMinSampleRate = 1000;
constexpr int32_t kMaxSampleRate = 768000;
constexpr int32_t kMaxBlockSize = 65536;

struct SessionSettings {
  int32_t sampleRate = 44100;
  int32_t blockSize = 512;
  // Without one, program 0, or with a preset the program the preset left current.
  std::optional<int32_t> program;
  std::vector<ParameterSetting> parameters;
  // A preset to load first: a VST 2 .fxp or .fxb file, an LV2 preset's URI
  // or an LV2 preset bundle, a CLAP state file or a CLAP factory preset's
  // name. None when empty.
  std::string preset;
};

// What an instrument held when it was asked, ready to be written to the file
// it was asked for. Taken before any other file is written, so that an
// instrument that cannot hand it over leaves neither.
class SavedState {
 public:
  virtual ~SavedState() = default;
  // Throws ToolError (kExitCannotWrite) and leaves nothing half-written.
  virtual void write() = 0;
};

// An instrument's editor, open in a window of the host's.
class InstrumentEditor {
 public:
  virtual ~InstrumentEditor() = default;  // closes it
  // The regular call a host's interface thread makes while an editor is
  // open; false once the editor asks to be closed.
  virtual bool idle() = 0;
};

class Instrument {
 public:
  virtual ~Instrument() = default;

  // The rate and block size alone, as a host sets them before it asks anything.
  virtual void setTiming(int32_t sampleRate, int32_t blockSize) = 0;
  // Everything in `settings`, the preset first; --program and --param then
  // change what it set. Throws ToolError (kExitBadInput) for a program,
  // parameter, value or preset the instrument cannot take, before the
  // instrument is told anything of it.
  virtual void configure(const SessionSettings& settings) = 0;
  // The audio outputs process fills.
  virtual int outputCount() const = 0;

  virtual void start() = 0;
  virtual void stop() = 0;
  // Readies it, before start, for a live host's audio thread, which must
  // not wait: room for `capacity` events now (the host never sends more at
  // once), and what the plug-in asks to have done in the background done on
  // a thread of its own, not after its blocks.
  virtual void prepareForLive(int32_t capacity) = 0;
  // The events [first, last) for the next process call, each at its frame
  // minus `blockStart` within the block. Allocates nothing when there are no
  // more than prepareForLive made room for.
  virtual void sendEvents(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart) = 0;
  // Renders `frames` frames, at most the block size, into outputs().
  virtual void process(int32_t frames) = 0;
  // outputCount() arrays of the block size, written by process.
  virtual float* const* outputs() = 0;
  // The regular call of the host's main thread while the instrument plays
  // live: what the plug-in asked to have done on the main thread is done
  // here, and what it said on the audio thread is printed.
  virtual void serveMainThread() {}

  // The plug-in's description; every program's values too when asked for.
  virtual InstrumentDescription describe(bool withProgramValues) = 0;
  // The parameters the sound is made of now, as --param takes them back:
  // "KEY VALUE" with the value printed exactly (a VST 2 or LV2 value is a
  // float, a CLAP value a double).
  virtual std::vector<std::pair<std::string, double>> parameterValues() = 0;
  // What it holds now, for the file `path` (the kind of file its name asks
  // for). Throws ToolError (kExitBadInput) for a kind of file this format
  // does not save, (kExitBadModule) when the plug-in cannot hand it over.
  virtual std::unique_ptr<SavedState> saveState(const std::string& path) = 0;

  // The editor's size in pixels, where it is known before opening.
  virtual std::optional<std::pair<int, int>> editorSize() = 0;
  // Opens the editor in `window`, which it may resize to fit. Throws
  // ToolError (kExitBadModule) when there is no editor the host can open.
  virtual std::unique_ptr<InstrumentEditor> openEditor(HostWindow& window) = 0;
};
