#include "vst2/interface/editor_base.h"

int32_t EditorBase::getRect(ERect** rect) {
  *rect = nullptr;
  return 0;
}

int32_t EditorBase::open(void* parent) {
  systemWindow = parent;
  return 0;
}

void EditorBase::idle() {
  if (updateFlag) {
    updateFlag = 0;
    update();
  }
}
