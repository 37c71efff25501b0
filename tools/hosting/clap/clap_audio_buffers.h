// The audio a plug-in processes: a buffer for every channel of its ports
// (the inputs' kept silent), as the clap_audio_buffer records process takes,
// and the output channels in port order, as the host reads them. Made for
// the largest block, and made anew only when a larger one is asked for: a
// restart between two blocks leaves the block just rendered where the host
// reads it.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/hosting/clap/clap_ports.h"

class ClapAudioBuffers {
 public:
  void prepare(const ClapPorts& ports, uint32_t frames);

  const clap_audio_buffer_t* inputs() const { return inputs_.data(); }
  uint32_t inputCount() const { return static_cast<uint32_t>(inputs_.size()); }
  clap_audio_buffer_t* outputs() { return outputs_.data(); }
  uint32_t outputCount() const { return static_cast<uint32_t>(outputs_.size()); }
  float* const* outputChannels() { return outputChannels_.data(); }
  // The first `frames` of every output channel.
  void silence(int32_t frames);

 private:
  std::vector<std::vector<float>> channels_;  // the input ports' channels, then the output ports'
  std::vector<float*> pointers_;
  std::vector<clap_audio_buffer_t> inputs_, outputs_;
  std::vector<float*> outputChannels_;
  uint32_t frames_ = 0;
};
