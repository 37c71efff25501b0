// A live server's new sample rate, given to an instrument between a stop and
// a start: Quorlin, as a VST 2 module and as an LV2 bundle (which is made
// anew and takes over the old instance's state), then sounds exactly as an
// instance made at that rate; an LV2 plug-in that refuses to be made again
// leaves the instrument playing at the old rate, with one line.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/files/midi_messages.h"
#include "tools/hosting/instrument_plugin.h"

namespace {

constexpr int32_t kBlock = 256;

SessionSettings at(int32_t rate, const std::string& attackKey) {
  SessionSettings settings;
  settings.sampleRate = rate;
  settings.blockSize = kBlock;
  settings.mostEvents = 1;
  // Half a second of attack: its length in frames follows the rate.
  settings.parameters = {{attackKey, 0.5f, "0.5"}};
  return settings;
}

// A note held through `blocks` blocks, the left output of each in turn.
std::vector<float> playNote(Instrument& instrument, int blocks) {
  const ScheduledEvent note = channelMessage(kNoteOn, 60, 100);
  instrument.sendEvents(&note, &note + 1, 0);
  std::vector<float> left;
  for (int block = 0; block < blocks; ++block) {
    instrument.process(kBlock);
    left.insert(left.end(), instrument.outputs()[0], instrument.outputs()[0] + kBlock);
  }
  return left;
}

TEST(RateChange, AnInstrumentGivenANewRateSoundsAsOneMadeAtThatRate) {
  const struct {
    std::string plugin;
    std::string attackKey;  // the attack time's parameter
  } cases[] = {{QUORLIN_MODULE, "1"}, {QUORLIN_LV2_BUNDLE, "attack_time"}};
  for (const auto& [name, attackKey] : cases) {
    const std::unique_ptr<InstrumentPlugin> plugin = loadInstrumentPlugin(name);
    const std::unique_ptr<Instrument> changed = plugin->instantiate();
    changed->configure(at(48000, attackKey));
    changed->start();
    changed->stop();
    changed->changeSampleRate(96000);
    changed->start();
    const std::unique_ptr<Instrument> made = plugin->instantiate();
    made->configure(at(96000, attackKey));
    made->start();
    // Exact: the same code given the same numbers.
    EXPECT_EQ(playNote(*changed, 400), playNote(*made, 400)) << name;
  }
}

TEST(RateChange, APlugInThatRefusesTheNewRateLeavesTheInstrumentAsItWas) {
  const std::unique_ptr<InstrumentPlugin> plugin = loadInstrumentPlugin(LV2_PROBE_BUNDLE);
  const std::unique_ptr<Instrument> instrument = plugin->instantiate();
  SessionSettings settings;
  settings.mostEvents = 1;
  instrument->configure(settings);
  instrument->start();
  instrument->stop();
  try {
    instrument->changeSampleRate(48000);
    ADD_FAILURE() << "the probe makes one instance only";
  } catch (const ToolError& error) {
    EXPECT_NE(std::string(error.what()).find("the plug-in failed to start again at 48000 Hz"), std::string::npos)
        << error.what();
  }
  instrument->start();
  EXPECT_EQ(playNote(*instrument, 1), std::vector<float>(kBlock, 0.25f));
  instrument->stop();
}

}  // namespace
