#include "tools/files/wav_writer.h"

#include <cmath>
#include <cstring>

#include "tools/system/tool_error.h"

namespace {

constexpr uint16_t kFormatTagPcm = 1;
constexpr uint16_t kFormatTagIeeeFloat = 3;
constexpr size_t kPcmHeaderSize = 44;    // RIFF, fmt (16 bytes), data
constexpr size_t kFloatHeaderSize = 58;  // RIFF, fmt (18 bytes), fact, data
constexpr uint64_t kMaxRiffSize = 0xFFFFFFFFu;

// Full scale of each integer format: a sample of 1.0 maps to this value, one
// step above the largest code.
constexpr double kInt16FullScale = 32768.0;
constexpr double kInt24FullScale = 8388608.0;

int bytesPerSample(SampleFormat format) {
  switch (format) {
    case SampleFormat::Int16:
      return 2;
    case SampleFormat::Int24:
      return 3;
    case SampleFormat::Float32:
    default:
      return 4;
  }
}

size_t headerSize(SampleFormat format) { return format == SampleFormat::Float32 ? kFloatHeaderSize : kPcmHeaderSize; }

void putLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint8_t* storeLittleEndian(uint8_t* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
  return out + bytes;
}

void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

int WavWriter::bytesPerFrame(SampleFormat format, int channels) { return bytesPerSample(format) * channels; }

uint64_t WavWriter::maxFrames(SampleFormat format, int channels) {
  // The RIFF size field counts everything after its own 8 bytes, plus a pad byte.
  return (kMaxRiffSize - headerSize(format) - 1) / static_cast<uint64_t>(bytesPerFrame(format, channels));
}

WavWriter::WavWriter(const std::string& path, SampleFormat format, int channels, int32_t sampleRate)
    : output_(path), format_(format), channels_(channels), sampleRate_(sampleRate) {
  writeHeader();  // with zero sizes; finish() writes it again with the real ones
}

void WavWriter::writeHeader() {
  const uint32_t dataSize = static_cast<uint32_t>(frames_ * static_cast<uint64_t>(bytesPerFrame(format_, channels_)));
  const uint32_t padding = dataSize & 1u;
  const uint32_t bytesPerSampleValue = static_cast<uint32_t>(bytesPerSample(format_));
  const bool isFloat = format_ == SampleFormat::Float32;
  std::vector<uint8_t> header;
  putTag(header, "RIFF");
  putLittleEndian(header, static_cast<uint32_t>(headerSize(format_)) - 8 + dataSize + padding, 4);
  putTag(header, "WAVE");
  putTag(header, "fmt ");
  putLittleEndian(header, isFloat ? 18 : 16, 4);
  putLittleEndian(header, isFloat ? kFormatTagIeeeFloat : kFormatTagPcm, 2);
  putLittleEndian(header, static_cast<uint32_t>(channels_), 2);
  putLittleEndian(header, static_cast<uint32_t>(sampleRate_), 4);
  putLittleEndian(header, static_cast<uint32_t>(sampleRate_) * bytesPerSampleValue * channels_, 4);
  putLittleEndian(header, bytesPerSampleValue * channels_, 2);
  putLittleEndian(header, bytesPerSampleValue * 8, 2);
  if (isFloat) {
    putLittleEndian(header, 0, 2);  // no extension bytes
    putTag(header, "fact");         // required for formats other than PCM: the frame count
    putLittleEndian(header, 4, 4);
    putLittleEndian(header, static_cast<uint32_t>(frames_), 4);
  }
  putTag(header, "data");
  putLittleEndian(header, dataSize, 4);
  writeBytes(header.data(), header.size());
}

void WavWriter::writeBytes(const uint8_t* data, size_t count) { output_.write(data, count); }

uint8_t* WavWriter::encode(float sample, uint8_t* out) {
  const float magnitude = std::fabs(sample);
  if (magnitude > peak_) peak_ = magnitude;
  if (format_ == SampleFormat::Float32) {
    if (magnitude > 1.0f) ++clipped_;
    uint32_t bits = 0;
    std::memcpy(&bits, &sample, sizeof bits);
    return storeLittleEndian(out, bits, 4);
  }
  const bool is16 = format_ == SampleFormat::Int16;
  const double fullScale = is16 ? kInt16FullScale : kInt24FullScale;
  // Nearest code, halves away from zero. Exact: the scale is a power of two, so
  // the product and the added half need far fewer than 53 significant bits.
  const double scaled = static_cast<double>(sample) * fullScale;
  const double rounded = scaled < 0.0 ? -std::floor(0.5 - scaled) : std::floor(scaled + 0.5);
  int32_t code = 0;
  if (std::isnan(rounded)) {
    ++clipped_;
  } else if (rounded > fullScale - 1.0) {
    code = static_cast<int32_t>(fullScale - 1.0);
    ++clipped_;
  } else if (rounded < -fullScale) {
    code = static_cast<int32_t>(-fullScale);
    ++clipped_;
  } else {
    code = static_cast<int32_t>(rounded);
  }
  return storeLittleEndian(out, static_cast<uint32_t>(code), is16 ? 2 : 3);
}

void WavWriter::write(const float* const* channels, int32_t frames) {
  // Sized once for the largest block; a block's bytes go out in one write.
  buffer_.resize(static_cast<size_t>(frames) * static_cast<size_t>(bytesPerFrame(format_, channels_)));
  uint8_t* out = buffer_.data();
  for (int32_t frame = 0; frame < frames; ++frame) {
    for (int channel = 0; channel < channels_; ++channel) out = encode(channels[channel][frame], out);
  }
  writeBytes(buffer_.data(), buffer_.size());
  frames_ += static_cast<uint64_t>(frames);
}

void WavWriter::finish() {
  const uint64_t dataSize = frames_ * static_cast<uint64_t>(bytesPerFrame(format_, channels_));
  if (frames_ > maxFrames(format_, channels_)) {
    throw ToolError(kExitCannotWrite, output_.path() + ": too much audio for one WAV file");
  }
  if ((dataSize & 1u) != 0) {
    const uint8_t pad = 0;
    writeBytes(&pad, 1);
  }
  output_.rewind();
  writeHeader();
  output_.commit();
}
