// The instrument: the one plug-in object of a loaded instance.
//
// Threads. The host builds and destroys the object, changes programs and
// names, and opens the editor from its interface thread; it delivers events
// (processEvents) and asks for audio (processReplacing) from its audio
// thread, one after the other, so the pending events and the render cursor
// need no guard. Program changes and the editor's mouse release write the
// current program and the voices' settings while a block may be rendering:
// the engine keeps those settings in atomic values (engine/relaxed.h), so the
// audio thread never races with the writer and never sees a value half
// written; a run may see part of a group already changed, and hears the rest
// from its next run. Nothing here takes a lock; the audio path never
// allocates.
#pragma once

#include <cstdint>

#include "editor/gl_editor.h"
#include "engine/synth_engine.h"
#include "host/effect_base_x.h"
#include "instrument/pending_events.h"
#include "instrument/program_record.h"

class SynthPlugin : public EffectBaseX {
 public:
  static constexpr int kProgramCount = 4;

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
  void setWaveform(float value);
  void setFilter(float cutoffValue, float dampingValue);
  void setEnvelope(float attack, float peak, float decay, float sustain, float release);

  /// The editor's window table finds its editor through this.
  GlEditor* glEditor = nullptr;

 private:
  ProgramRecord& current() { return programs[currentProgram]; }

  ProgramRecord* programs = nullptr;
  SynthEngine* engine = nullptr;  // the output stage and the eight voices
  PendingEvents pending;
};
