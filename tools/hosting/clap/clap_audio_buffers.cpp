#include "tools/hosting/clap/clap_audio_buffers.h"

#include <algorithm>

void ClapAudioBuffers::prepare(const ClapPorts& ports, uint32_t frames) {
  if (frames_ >= frames) return;
  frames_ = frames;
  channels_.clear();
  for (const auto* list : {&ports.audioInputs, &ports.audioOutputs}) {
    for (const clap_audio_port_info_t& port : *list) {
      for (uint32_t channel = 0; channel < port.channel_count; ++channel) channels_.emplace_back(frames, 0.0f);
    }
  }
  pointers_.clear();
  for (std::vector<float>& channel : channels_) pointers_.push_back(channel.data());
  float** next = pointers_.data();
  const auto buffers = [&next](const std::vector<clap_audio_port_info_t>& list) {
    std::vector<clap_audio_buffer_t> made;
    for (const clap_audio_port_info_t& port : list) {
      made.push_back(clap_audio_buffer_t{next, nullptr, port.channel_count, 0, 0});
      next += port.channel_count;
    }
    return made;
  };
  inputs_ = buffers(ports.audioInputs);
  float** firstOutput = next;
  outputs_ = buffers(ports.audioOutputs);
  outputChannels_.assign(firstOutput, pointers_.data() + pointers_.size());
}

void ClapAudioBuffers::silence(int32_t frames) {
  for (float* channel : outputChannels_) std::fill(channel, channel + frames, 0.0f);
}
