// The extended plug-in base: opcodes 25..58 and the extended host services.
#pragma once

#include "vst2/interface/effect_base.h"

class EffectBaseX : public EffectBase {
 public:
  EffectBaseX(audioMasterCallback host, int32_t numPrograms, int32_t numParams)
      : EffectBase(host, numPrograms, numParams) {}
  ~EffectBaseX() override = default;

  /// Opcodes 25..58; everything else goes to the base table.
  VstIntPtr dispatcher(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt) override;

  // Extended virtual operations, in slot order.

  /// Asks the host for MIDI events.
  virtual void wantEvents(int32_t filter = 1);
  /// The host's transport and tempo record.
  virtual void* getTimeInfo(int32_t filter);
  virtual int32_t tempoAt(int32_t position);
  /// The host delivers the coming block's events; the base takes none.
  virtual int32_t processEvents(VstEvents* events);
  virtual int32_t getNumAutomatableParameters();
  virtual int32_t getParameterQuantization();
  /// Whether the host may automate a parameter; the base says every one.
  virtual bool canBeAutomated(int32_t index);
  /// Parses a parameter from text; the base cannot.
  virtual bool string2Parameter(int32_t index, char* text);
  virtual int32_t getNumProgramCategories();
  /// A program's name by index; the base has none to give.
  virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text);
  virtual bool copyProgram(int32_t destination);
  virtual bool ioChanged();
  virtual bool needIdle();
  virtual bool sizeWindow(int32_t width, int32_t height);
  virtual float updateSampleRate();
  virtual int32_t updateBlockSize();
  virtual int32_t getInputLatency();
  virtual int32_t getOutputLatency();
  virtual AEffect* getPreviousPlug(int32_t input);
  virtual AEffect* getNextPlug(int32_t output);
  /// The host connected or disconnected an input.
  virtual void connectInput(int32_t index, bool state);
  /// The host connected or disconnected an output.
  virtual void connectOutput(int32_t index, bool state);
  /// Describes an input pin; the base has none.
  virtual bool getInputProperties(int32_t index, VstPinProperties* properties);
  /// Describes an output pin; the base has none.
  virtual bool getOutputProperties(int32_t index, VstPinProperties* properties);
  /// Synth when the record says so, else unknown.
  virtual int32_t getPlugCategory();
  virtual int32_t willProcessReplacing();
  virtual int32_t getCurrentProcessLevel();
  virtual int32_t getAutomationState();
  virtual void setFlagExtIsAsync(bool state);
  virtual void setFlagExtHasBuffer(bool state);
  virtual int32_t getCurrentPosition();
  virtual float* getDestinationBuffer();
  virtual bool offlineRead(void* task, int32_t option, bool readSource);
  virtual bool offlineWrite(void* task, int32_t option);
  virtual bool offlineStart(void* audioFiles, int32_t numAudioFiles, int32_t numNewAudioFiles);
  virtual int32_t offlineGetCurrentPass();
  virtual int32_t offlineGetCurrentMetaPass();
  virtual bool offlineNotify(void* files, int32_t count, bool start);
  virtual bool offlinePrepare(void* task, int32_t count);
  virtual bool offlineRun(void* task, int32_t count);
  virtual void setOutputSamplerate(float rate);
  virtual bool getSpeakerArrangement(void* pluginInput, void* pluginOutput);
  virtual bool getHostVendorString(char* text);
  virtual bool getHostProductString(char* text);
  virtual int32_t getHostVendorVersion();
  virtual int32_t hostVendorSpecific(int32_t first, VstIntPtr second, void* pointer, float real);
  virtual int32_t canHostDo(char* text);
  virtual void isSynth(bool state);
  virtual void setFlagNoSoundInStop(bool state);
  virtual int32_t getHostLanguage();
  virtual void* openWindow(void* window);
  virtual bool closeWindow(void* window);
  virtual void* getDirectory();
  virtual bool updateDisplay();
  virtual bool processVarIo(void* varIo);
  virtual bool setSpeakerArrangement(void* pluginInput, void* pluginOutput);
  /// Stores both values directly, without calling the single setters.
  virtual void setBlockSizeAndSampleRate(int32_t frames, float rate);
  virtual bool setBypass(bool state);
  virtual bool getEffectName(char* text);
  virtual bool getErrorText(char* text);
  virtual bool getVendorString(char* text);
  virtual bool getProductString(char* text);
  virtual int32_t getVendorVersion();
  virtual int32_t vendorSpecific(int32_t index, VstIntPtr value, void* ptr, float opt);
  /// Whether the plug-in can do something named by the host; the base does not know.
  virtual int32_t canDo(char* text);
  virtual void* getIcon();
  virtual bool setViewPosition(int32_t x, int32_t y);
  virtual int32_t getTailSize();
  virtual int32_t effectIdle();
  virtual bool getParameterProperties(int32_t index, void* properties);
  virtual bool keysRequired();
  virtual int32_t getVstVersion();
};
