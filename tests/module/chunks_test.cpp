// Sessions and presets through chunks, as a host uses them: what one instance
// hands out, another takes and then sounds exactly like it; an unfit blob is
// refused and changes nothing, in what the host reads back or in the sound.
// Exact comparisons: the same settings and events compute the same bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "played_instrument.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes takeChunk(LoadedInstrument& instrument, bool program) {
  void* data = nullptr;
  const VstIntPtr size = instrument.dispatch(effGetChunk, program ? 1 : 0, 0, &data);
  EXPECT_GT(size, 0);
  if (size <= 0 || data == nullptr) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return Bytes(bytes, bytes + size);
}

VstIntPtr giveChunk(LoadedInstrument& instrument, bool program, Bytes blob) {
  return instrument.dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(blob.size()), blob.data());
}

void name(LoadedInstrument& instrument, const char* text) {
  std::string copy(text);
  instrument.dispatch(effSetProgramName, 0, 0, &copy[0]);
}

// Two programs of sounds other than the default, the second one selected (and so applied).
void dialIn(LoadedInstrument& instrument) {
  instrument.dispatch(effSetProgram, 0, 1);
  for (auto [index, value] : {std::pair{0, 0.1f}, {1, 0.01f}, {5, 0.05f}, {6, 0.3f}, {7, 0.2f}}) {
    instrument.setParameter(index, value);
  }
  name(instrument, "Warm square");
  instrument.dispatch(effSetProgram, 0, 3);
  for (auto [index, value] : {std::pair{0, 0.9f}, {2, 0.8f}, {3, 0.02f}, {4, 0.1f}, {6, 0.6f}}) {
    instrument.setParameter(index, value);
  }
  name(instrument, "Plucked triangle");
  instrument.dispatch(effSetProgram, 0, 3);
}

const std::vector<Midi> kPhrase = {noteOn(0, 48), noteOn(100, 55, 80), noteOff(1500, 48), noteOn(1800, 67, 120)};

bool sameSettings(const ObservableState& a, const ObservableState& b) {
  return a.program == b.program && a.names == b.names && a.values == b.values;
}

TEST(Chunks, AFreshInstanceGivenABankSoundsAndReadsBackAsTheOneItCameFrom) {
  PlayedInstrument original, copy;
  dialIn(original.loaded);
  const Bytes bank = takeChunk(original.loaded, false);
  ASSERT_EQ(giveChunk(copy.loaded, false, bank), 1);

  const Block heard = original.play(kPhrase, 4096);
  EXPECT_FALSE(heard.silent());
  EXPECT_EQ(copy.play(kPhrase, 4096), heard);
  EXPECT_EQ(takeChunk(copy.loaded, false), bank);
  EXPECT_TRUE(sameSettings(observe(copy.loaded), observe(original.loaded)));
}

TEST(Chunks, AProgramGoesIntoTheCurrentSlotAndIsHeardAtOnce) {
  PlayedInstrument original, copy;
  dialIn(original.loaded);
  original.loaded.dispatch(effSetProgram, 0, 1);
  const Bytes program = takeChunk(original.loaded, true);
  copy.loaded.dispatch(effSetProgram, 0, 2);
  ASSERT_EQ(giveChunk(copy.loaded, true, program), 1);

  EXPECT_EQ(copy.play(kPhrase, 4096), original.play(kPhrase, 4096));
  const ObservableState taken = observe(copy.loaded), source = observe(original.loaded);
  EXPECT_EQ(taken.program, 2);
  EXPECT_EQ(taken.names[2], "Warm square");
  EXPECT_EQ(taken.values[2], source.values[1]);
  for (int other : {0, 1, 3}) EXPECT_EQ(taken.names[other], "Default " + std::to_string(other));
}

// A host may store any float; the bank it saves must still be taken back
// and sound the same.
TEST(Chunks, ValuesThatAreNotNumbersAreSavedAsWhatTheySoundLike) {
  PlayedInstrument original, copy;
  original.loaded.setParameter(0, std::numeric_limits<float>::quiet_NaN());
  original.loaded.setParameter(7, std::numeric_limits<float>::infinity());
  original.loaded.setParameter(2, -std::numeric_limits<float>::infinity());
  original.loaded.dispatch(effSetProgram, 0, 0);
  ASSERT_EQ(giveChunk(copy.loaded, false, takeChunk(original.loaded, false)), 1);
  const Block heard = original.play(kPhrase, 4096);
  EXPECT_FALSE(heard.silent());
  EXPECT_EQ(copy.play(kPhrase, 4096), heard);
}

struct Unfit {
  const char* what;
  bool program;                           // handed over as one program (index 1) or a bank (index 0)
  std::function<void(Bytes&)> damage;     // applied to a good bank blob
  std::function<VstIntPtr(const Bytes&)> size;
  bool nullData;
};

VstIntPtr realSize(const Bytes& blob) { return static_cast<VstIntPtr>(blob.size()); }

const std::vector<Unfit> kUnfit = {
    {"a value that is not a number", false,
     [](Bytes& b) {
       const float nan = std::numeric_limits<float>::quiet_NaN();
       std::memcpy(&b[20 + 56 + 24], &nan, sizeof nan);
     },
     realSize, false},
    {"one byte short", false, [](Bytes&) {}, [](const Bytes& b) { return realSize(b) - 1; }, false},
    {"a foreign magic", false, [](Bytes& b) { b[0] = 'X'; }, realSize, false},
    {"a bank handed over as a program", true, [](Bytes&) {}, realSize, false},
    {"size 0", false, [](Bytes&) {}, [](const Bytes&) { return VstIntPtr{0}; }, false},
    {"a negative size", false, [](Bytes&) {}, [](const Bytes&) { return VstIntPtr{-244}; }, false},
    {"no data", false, [](Bytes&) {}, realSize, true},
};

TEST(Chunks, AnUnfitBlobIsRefusedAndChangesNeitherSettingsNorSound) {
  PlayedInstrument source;
  dialIn(source.loaded);
  const Bytes good = takeChunk(source.loaded, false);
  for (const Unfit& unfit : kUnfit) {
    // The same history for both, with a value stored but not yet applied; one
    // of them is then handed the unfit blob.
    PlayedInstrument refusing, untouched;
    for (PlayedInstrument* instrument : {&refusing, &untouched}) {
      instrument->loaded.dispatch(effSetProgram, 0, 2);
      instrument->loaded.setParameter(6, 0.2f);
    }
    Bytes blob = good;
    unfit.damage(blob);
    EXPECT_EQ(refusing.loaded.dispatch(effSetChunk, unfit.program ? 1 : 0, unfit.size(blob),
                                       unfit.nullData ? nullptr : blob.data()),
              0)
        << unfit.what;
    EXPECT_EQ(refusing.play(kPhrase, 2048), untouched.play(kPhrase, 2048)) << unfit.what;
    EXPECT_TRUE(sameSettings(observe(refusing.loaded), observe(untouched.loaded))) << unfit.what;
  }
}

}  // namespace
