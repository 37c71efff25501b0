// The built module's editor, driven the way a Linux host drives it: the
// module loaded by file name, instances made through its entry point, the
// editor opened with effEditOpen in an X window of the host's, its events
// read on effEditIdle, the mouse moved through XTest.
#include <X11/Xatom.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "loaded_instrument.h"
#include "scene_projection.h"
#include "x_session.h"

namespace {

VstIntPtr VSTCALLBACK versionHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

constexpr int kHostX = 300;
constexpr int kHostY = 200;

class ModuleEditor : public ::testing::Test {
 protected:
  void idle() {
    pumpEditor([&] { instrument.dispatch(effEditIdle); });
  }

  XSession x;
  Window host = x.createHostWindow(kHostX, kHostY, 300, 200);
  LoadedInstrument instrument{versionHost};
};

TEST_F(ModuleEditor, OpensAChildOfTheHostsWindowThatXEmbedHostsCanTake) {
  ERect* rect = nullptr;
  EXPECT_EQ(instrument.dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 300);
  EXPECT_EQ(rect->bottom - rect->top, 200);

  EXPECT_EQ(instrument.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
  idle();
  const std::vector<Window> children = x.children(host);
  ASSERT_EQ(children.size(), 1u);
  XWindowAttributes attributes;
  XGetWindowAttributes(x.display(), children[0], &attributes);
  EXPECT_EQ(attributes.width, 300);
  EXPECT_EQ(attributes.height, 200);
  EXPECT_EQ(attributes.map_state, IsViewable);

  Atom xembed = XInternAtom(x.display(), "_XEMBED_INFO", True);
  ASSERT_NE(xembed, static_cast<Atom>(None));
  Atom type;
  int format;
  unsigned long count, remaining;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(x.display(), children[0], xembed, 0, 2, False, xembed, &type, &format, &count,
                               &remaining, &data),
            Success);
  ASSERT_EQ(count, 2u);
  const long* info = reinterpret_cast<const long*>(data);
  EXPECT_EQ(info[0], 0);  // protocol version
  EXPECT_EQ(info[1], 1);  // mapped
  XFree(data);

  // The first program's waveform, 0.5, stands straight up.
  const Picture picture = x.capture(children[0]);
  const WindowPoint fin = finTopPixel(0, 0.0, 0.72);
  EXPECT_TRUE(isFinRed(picture.at(static_cast<int>(fin.x), static_cast<int>(fin.y))));
  instrument.dispatch(effEditClose);
  EXPECT_TRUE(x.children(host).empty());
}

TEST_F(ModuleEditor, ADragChangesTheParameterTheHostReads) {
  for (int parameter = 0; parameter < 8; ++parameter) instrument.setParameter(parameter, 0.5f);
  instrument.dispatch(effSetProgram, 0, 0);
  instrument.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host));
  idle();

  x.movePointer(kHostX + 149, kHostY + 135);  // knob 5, decay time
  x.pressButton();
  idle();
  x.movePointer(kHostX + 89, kHostY + 135);
  idle();
  EXPECT_EQ(instrument.parameter(3), 0.5f);
  x.releaseButton();
  idle();
  EXPECT_FLOAT_EQ(instrument.parameter(3), 0.2496f);  // within 4 units in the last place
  instrument.dispatch(effEditClose);
}

TEST(ModuleInstances, ANinthIsRefusedAndAClosedOnesPlaceIsTakenAgain) {
  std::vector<std::unique_ptr<LoadedInstrument>> live;
  for (int i = 0; i < 8; ++i) {
    live.push_back(std::make_unique<LoadedInstrument>(versionHost));
    ASSERT_NE(live.back()->record(), nullptr) << "instance " << i;
  }
  LoadedInstrument ninth(versionHost);
  EXPECT_EQ(ninth.record(), nullptr);

  live[2]->setParameter(6, 0.25f);  // the eight others still answer
  EXPECT_EQ(live[2]->parameter(6), 0.25f);
  live[5].reset();
  LoadedInstrument replacement(versionHost);
  EXPECT_NE(replacement.record(), nullptr);
}

}  // namespace
