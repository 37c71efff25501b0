// The editor a plug-in object can hold: the host's edit opcodes reach it.
#pragma once

#include <cstdint>

#include "vst2/interface/vst2_abi.h"

class EffectBase;

class EditorBase {
 public:
  explicit EditorBase(EffectBase* effect) : effect(effect) {}
  virtual ~EditorBase() = default;

  /// The host asks for the editor's size; the base has none to give.
  virtual int32_t getRect(ERect** rect);
  /// The host hands over its parent window; the base only remembers it.
  virtual int32_t open(void* parent);
  /// The host is done with the editor window.
  virtual void close() {}
  /// Called regularly by the host's interface thread; runs a posted update.
  virtual void idle();
  /// Redraws whatever changed; the base has nothing to draw.
  virtual void update() {}
  /// Asks for an update on the next idle call.
  virtual void postUpdate() { updateFlag = 1; }

 protected:
  EffectBase* effect;
  void* systemWindow = nullptr;
  int32_t updateFlag = 0;
};
