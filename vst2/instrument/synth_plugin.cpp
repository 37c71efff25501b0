#include "vst2/instrument/synth_plugin.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

// Negative indices read as huge unsigned ones and fall outside too.
bool isParameterIndex(int32_t index) { return static_cast<uint32_t>(index) < static_cast<uint32_t>(kParameterCount); }

}  // namespace

SynthPlugin::SynthPlugin(audioMasterCallback host) : EffectBaseX(host, kProgramCount, kParameterCount) {
  programs = new (std::nothrow) ProgramRecord[kProgramCount];
  if (!programs) throw -1;
  for (int i = 0; i < kProgramCount; ++i) std::snprintf(programs[i].name, ProgramRecord::kNameLimit, "Default %d", i);

  try {
    glEditor = new (std::nothrow) GlEditor(this, this);
  } catch (int) {
    delete[] programs;
    throw -1;
  }

  engine = new (std::nothrow) SynthEngine;
  if (!engine) {
    delete glEditor;
    delete[] programs;
    throw -1;
  }
  attachEditor(glEditor);

  // Every program starts as the default one: applying program 0 gives the
  // voices and the knobs their first values.
  setProgram(0);

  setNumInputs(0);
  setNumOutputs(2);
  setUniqueID(fourCharCode('Q', 'r', 'l', ' '));
  isSynth(true);
  canProcessReplacing(true);
  setFlagProgramChunks(true);
}

SynthPlugin::~SynthPlugin() {
  delete engine;
  // The base must not destroy the editor a second time.
  delete glEditor;
  attachEditor(nullptr);
  glEditor = nullptr;
  delete[] programs;
}

void SynthPlugin::setParameter(int32_t index, float value) {
  if (isParameterIndex(index)) current().values[index] = value;
}

float SynthPlugin::getParameter(int32_t index) {
  return isParameterIndex(index) ? current().values[index].load() : 0.0f;
}

void SynthPlugin::process(float**, float** outputs, int32_t sampleFrames) {
  if (sampleFrames <= 0 || !outputs) return;
  std::memset(outputs[0], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
  std::memset(outputs[1], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
}

void SynthPlugin::processReplacing(float**, float** outputs, int32_t sampleFrames) {
  if (sampleFrames <= 0 || !outputs) return;
  engine->render(pending.events(), pending.eventCount(), pending.cursor(), outputs[0], outputs[1], sampleFrames);
}

int32_t SynthPlugin::processEvents(VstEvents* events) {
  pending.take(events);
  return 1;
}

void SynthPlugin::setProgram(int32_t program) {
  if (program < 0 || program >= kProgramCount) return;
  currentProgram.store(program, std::memory_order_release);
  applyProgram(programs[program]);
}

void SynthPlugin::applyProgram(const ProgramRecord& program) {
  // Each value read once, so that the voices and the knobs get the same one
  // while the audio thread may be setting it. The program keeps its values:
  // writing them back could undo a value set meanwhile.
  float values[kParameterCount];
  for (int i = 0; i < kParameterCount; ++i) values[i] = program.values[i];
  engine->setWaveform(values[waveform]);
  engine->setFilter(values[cutoff], values[damping]);
  engine->setEnvelope(values[attackTime], values[peakLevel], values[decayTime], values[sustainLevel],
                      values[releaseTime]);
  if (glEditor) {
    glEditor->setKnobs(KnobValues{values[waveform], values[cutoff], values[damping], values[attackTime],
                                  values[peakLevel], values[decayTime], values[sustainLevel], values[releaseTime]});
  }
}

void SynthPlugin::setProgramName(char* text) {
  // A name that fills the host's 24-byte buffer is cut one short, so the
  // terminator always fits and no host reads past its buffer.
  char* name = current().name;
  size_t length = strnlen(text, ProgramRecord::kNameLimit - 1);
  std::memcpy(name, text, length);
  std::memset(name + length, 0, ProgramRecord::kNameLimit - length);
}

void SynthPlugin::getProgramName(char* text) {
  const char* name = current().name;
  size_t length = strnlen(name, ProgramRecord::kNameLimit - 1);
  std::memcpy(text, name, length);
  std::memset(text + length, 0, ProgramRecord::kNameLimit - length);
}

int32_t SynthPlugin::getChunk(void** data, bool isPreset) {
  *data = chunk.data();
  return isPreset ? chunk.encodeProgram(current()) : chunk.encodeBank(programs, getProgram());
}

int32_t SynthPlugin::setChunk(void* data, int32_t byteSize, bool isPreset) {
  const int32_t shown = getProgram();
  if (isPreset) {
    ProgramRecord program;
    if (!decodeProgram(data, byteSize, program)) return 0;
    programs[shown] = program;
    setProgram(shown);
    return 1;
  }
  ProgramBank bank;
  if (!decodeBank(data, byteSize, bank)) return 0;
  // The order that keeps the load whole for a reader of the current program
  // (see the header): the program being read is written last.
  for (int i = 0; i < kProgramCount; ++i) {
    if (i != shown) programs[i] = bank.programs[i];
  }
  currentProgram.store(bank.current, std::memory_order_release);
  programs[shown] = bank.programs[shown];
  setProgram(bank.current);
  return 1;
}

void SynthPlugin::setSampleRate(float rate) {
  sampleRate = rate;
  engine->setSampleRate(rate);
}

void SynthPlugin::resume() { wantEvents(1); }

bool SynthPlugin::getOutputProperties(int32_t index, VstPinProperties* properties) {
  if (index < 0 || index >= 2) return false;
  std::snprintf(properties->label, sizeof properties->label, "Qrl %02d", index + 1);
  properties->flags = kVstPinIsActive | kVstPinIsStereo;
  return true;
}

int32_t SynthPlugin::canDo(char* text) {
  static const char* const kCan[] = {"receiveVstEvents", "receiveVstMidiEvent", "midiProgramNames"};
  for (const char* can : kCan) {
    if (std::strcmp(text, can) == 0) return 1;
  }
  return -1;
}

void SynthPlugin::setWaveform(float value) {
  current().values[waveform] = value;
  engine->setWaveform(value);
}

void SynthPlugin::setFilter(float cutoffValue, float dampingValue) {
  Relaxed<float>* values = current().values;
  values[cutoff] = cutoffValue;
  values[damping] = dampingValue;
  engine->setFilter(cutoffValue, dampingValue);
}

void SynthPlugin::setEnvelope(float attack, float peak, float decay, float sustain, float release) {
  Relaxed<float>* values = current().values;
  values[attackTime] = attack;
  values[peakLevel] = peak;
  values[decayTime] = decay;
  values[sustainLevel] = sustain;
  values[releaseTime] = release;
  engine->setEnvelope(attack, peak, decay, sustain, release);
}
