#include "lv2/lv2_synth_ui.h"

#include <cstring>

#include "editor/knob_angles.h"
#include "engine/parameter_table.h"
#include "lv2/bundle_layout.h"

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The port protocol of a float control value (ui:floatProtocol).
constexpr uint32_t kFloatProtocol = 0;

}  // namespace

Lv2SynthUi::Lv2SynthUi(LV2UI_Write_Function writeFunction, LV2UI_Controller hostController, std::string windowTitle)
    : panel(this), write(writeFunction), controller(hostController), title(std::move(windowTitle)) {
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    portValues[parameter] = kParameters[parameter].defaultValue;
    panel.turnKnob(parameter, portValues[parameter]);
  }
}

Lv2SynthUi::~Lv2SynthUi() { panel.destroyWindow(); }

LV2UI_Widget Lv2SynthUi::openIn(void* parent) { return panel.open(parent); }

void Lv2SynthUi::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer) {
  const int parameter = parameterOfPort(port);
  if (parameter < 0 || format != kFloatProtocol || bufferSize != sizeof(float) || !buffer) return;
  float value;
  std::memcpy(&value, buffer, sizeof value);
  if (sameBits(value, portValues[parameter])) return;  // the host echoing what the editor wrote, say
  portValues[parameter] = value;
  panel.turnKnob(parameter, value);
}

int Lv2SynthUi::idle() {
  panel.idle();
  return shownOnItsOwn && !panel.windowExists() ? 1 : 0;
}

int Lv2SynthUi::show() {
  if (shownOnItsOwn && panel.windowExists()) return 0;
  shownOnItsOwn = true;
  return panel.openTopLevel(title.c_str()) ? 0 : 1;
}

int Lv2SynthUi::hide() {
  if (shownOnItsOwn) panel.destroyWindow();
  shownOnItsOwn = false;
  return 0;
}

// A knob turned to a port's value stands at an angle that maps back to that
// very value, so a press without a turn writes nothing.
void Lv2SynthUi::knobsReleased(const KnobAngles& knobs, int heldParameter) {
  if (heldParameter == kNoHeldParameter || !write) return;
  const float value = knobs.value(heldParameter);
  if (sameBits(value, portValues[heldParameter])) return;
  portValues[heldParameter] = value;
  write(controller, controlPortOf(heldParameter), sizeof value, kFloatProtocol, &value);
}
