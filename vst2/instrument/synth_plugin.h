// The instrument: the one plug-in object of a loaded instance.
//
// Threads. A host builds and destroys the object and opens, idles and closes
// the editor from its interface thread, which is also the thread that
// receives the editor's window messages. It delivers events (processEvents)
// and asks for audio (processReplacing) from its audio thread, one call after
// the other, so the pending events and the render cursor need no guard.
// Program changes and parameter writes may come from any thread, and the
// editor's knob releases from the interface thread, while a block renders;
// no value crosses from one thread to another through a data race:
// - into the sound, every setting goes through the engine's set* operations,
//   which keep it in an atomic value (engine/relaxed.h): the audio thread
//   never sees one half written; a run may see part of a group already
//   changed, and hears the rest from its next run;
// - into the editor, a program change only turns the knobs (atomic angles)
//   and marks them for drawing (an atomic flag); the interface thread asks
//   for the repaint at its next effEditIdle, so the window system and the
//   editor's tables are touched by that thread alone.
// ThreadSanitizer checks both with a host that does all of this at once
// (tests/stress/busy_host_test.cpp, scripts/test.sh tsan).
// - the programs' values and the current program number are atomic too
//   (relaxed values, the number stored with release and read with acquire),
//   so a host may set and read parameters on its audio thread while its
//   interface thread picks a program or loads a chunk. Program names are
//   read and written by the interface thread alone (the name opcodes and
//   chunks come on it).
// Chunks come and go on the interface thread. A blob the host hands over is
// checked whole before it touches a program, so a refused one changes
// nothing. A taken one is written in the order that keeps it whole for a
// reader of the current program: every program but the one being read now,
// then the new current program number (whose release publishes them), then
// the program that was being read; the sound takes the new values last, as a
// program change does. So a reader on the audio thread sees each value whole,
// the value before the load or after it, never a value of a refused blob nor
// one half written. What a reader may see while a load runs is a mix: some of
// the eight values from before and some from after (and a reader that took
// the program number just before the switch reads that program as the blob
// rewrites it). That is acceptable for the reason a run may hear part of a
// group changed: the host did not order its two calls, each value it gets is
// one it set, and its next read after the load returns gives the new program
// in full. Likewise a value the audio thread sets during a load lands before
// or after it: in the program the load then rewrites, or in the new one.
// Nothing here takes a lock; the audio path never allocates.
#pragma once

#include <cstdint>

#include "engine/synth_engine.h"
#include "vst2/editor/gl_editor.h"
#include "vst2/editor/sound_settings.h"
#include "vst2/instrument/pending_events.h"
#include "vst2/instrument/program_chunk.h"
#include "vst2/instrument/program_record.h"
#include "vst2/interface/effect_base_x.h"

class SynthPlugin : public EffectBaseX, public SoundSettings {
 public:
  /// Builds the instrument; throws the integer -1 when it cannot be built
  /// (all editor entries taken, or no memory for its programs or voices).
  explicit SynthPlugin(audioMasterCallback host);
  ~SynthPlugin() override;

  /// Stores a value in the current program; heard once the program is applied.
  void setParameter(int32_t index, float value) override;
  /// A value of the current program.
  float getParameter(int32_t index) override;
  /// The accumulating callback: writes silence, plays nothing.
  void process(float** inputs, float** outputs, int32_t sampleFrames) override;
  /// Renders a block, playing the pending events at their frames.
  void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
  /// Makes a program current and applies it in full to the voices and knobs.
  void setProgram(int32_t program) override;
  /// Renames the current program.
  void setProgramName(char* text) override;
  /// The current program's name.
  void getProgramName(char* text) override;
  /// The whole bank and the current program number, or the current program
  /// alone, as a blob that stays valid until the next call.
  int32_t getChunk(void** data, bool isPreset) override;
  /// Takes a blob of getChunk's making, whole or not at all, and applies the
  /// current program; 1 when taken, 0 when refused.
  int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
  /// The host's sample rate, for the voices too.
  void setSampleRate(float rate) override;
  /// Audio switched on: asks the host for MIDI.
  void resume() override;
  /// Takes the coming block's MIDI events.
  int32_t processEvents(VstEvents* events) override;
  /// Two stereo-paired outputs, "Qrl 01" and "Qrl 02".
  bool getOutputProperties(int32_t index, VstPinProperties* properties) override;
  /// Yes to receiving events and MIDI and to program names, no to the rest.
  int32_t canDo(char* text) override;

  // The only ways a parameter reaches the sound: each stores into the
  // current program, then sets all eight voices.
  void setWaveform(float value) override;
  void setFilter(float cutoffValue, float dampingValue) override;
  void setEnvelope(float attack, float peak, float decay, float sustain, float release) override;

  /// The editor the host's edit opcodes reach.
  GlEditor* glEditor = nullptr;

 private:
  ProgramRecord& current() { return programs[currentProgram.load(std::memory_order_acquire)]; }
  // The program's values into the voices and onto the knobs.
  void applyProgram(const ProgramRecord& program);

  ProgramRecord* programs = nullptr;
  SynthEngine* engine = nullptr;  // the output stage and the eight voices
  PendingEvents pending;
  ProgramChunk chunk;
};
