#include "clap/clap_synth_editor.h"

#include <cstring>

#include "editor/knob_angles.h"

namespace {

// How often the host's timer calls: a knob dragged at 60 frames a second.
constexpr uint32_t kTimerPeriodMilliseconds = 16;

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

ClapSynthEditor::ClapSynthEditor(ParameterValues& parameterValues, const HostServices& hostServices)
    : values(parameterValues), host(hostServices), panel(this) {
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    shown[parameter] = values.get(parameter);
    panel.turnKnob(parameter, shown[parameter]);
  }
  if (!host.registerTimer(kTimerPeriodMilliseconds, &timer)) throw -1;
}

ClapSynthEditor::~ClapSynthEditor() {
  host.unregisterTimer(timer);
  panel.destroyWindow();
}

bool ClapSynthEditor::embedIn(void* parent) { return parent && panel.open(parent); }

// A knob whose release is still on its way stays where the mouse left it.
void ClapSynthEditor::onTimer() {
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    const float value = values.get(parameter);
    if (sameBits(value, shown[parameter]) || values.proposalPending(parameter)) continue;
    shown[parameter] = value;
    panel.turnKnob(parameter, value);
  }
  panel.idle();
}

// A knob turned to a value stands at an angle that maps back to that very
// value, so a press without a turn proposes nothing.
void ClapSynthEditor::knobsReleased(const KnobAngles& knobs, int heldParameter) {
  if (heldParameter == kNoHeldParameter) return;
  const float value = knobs.value(heldParameter);
  if (sameBits(value, shown[heldParameter])) return;
  shown[heldParameter] = value;
  values.proposeFromEditor(heldParameter, value);
  host.requestFlush();
}
