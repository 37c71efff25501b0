#include "tools/files/wav_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/system/tool_error.h"

namespace {

constexpr uint16_t kFormatTagPcm = 1;
constexpr uint16_t kFormatTagIeeeFloat = 3;
constexpr size_t kPcmHeaderSize = 44;    // RIFF, fmt (16 bytes), data
constexpr size_t kFloatHeaderSize = 58;  // RIFF, fmt (18 bytes), fact, data
constexpr uint64_t kMaxRiffSize = 0xFFFFFFFFu;
constexpr size_t kBufferBytes = size_t{1} << 18;  // few system calls, and within the cache

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

// Float magnitudes compare as their bit patterns do, read as signed integers
// (the sign bit cleared); NaN's lie above infinity's. Written so that the
// compiler runs each loop several samples at a time.
constexpr int32_t kMagnitudeBits = 0x7FFFFFFF;
constexpr int32_t kInfinityBits = 0x7F800000;
constexpr int32_t kOneBits = 0x3F800000;

int32_t magnitudeBits(float sample) {
  int32_t bits = 0;
  std::memcpy(&bits, &sample, sizeof bits);
  return bits & kMagnitudeBits;
}

// The larger of `peak` and the samples' largest magnitude, NaN left out.
int32_t peakBits(const float* samples, int32_t count, int32_t peak) {
  for (int32_t i = 0; i < count; ++i) {
    const int32_t magnitude = magnitudeBits(samples[i]);
    peak = std::max(peak, magnitude <= kInfinityBits ? magnitude : 0);
  }
  return peak;
}

// Samples of magnitude above 1, NaN left out.
uint32_t overFullScale(const float* samples, int32_t count) {
  uint32_t over = 0;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t magnitude = magnitudeBits(samples[i]);
    over += magnitude > kOneBits && magnitude <= kInfinityBits ? 1 : 0;
  }
  return over;
}

}  // namespace

int WavWriter::bytesPerFrame(SampleFormat format, int channels) { return bytesPerSample(format) * channels; }

uint64_t WavWriter::maxFrames(SampleFormat format, int channels) {
  // The RIFF size field counts everything after its own 8 bytes, plus a pad byte.
  return (kMaxRiffSize - headerSize(format) - 1) / static_cast<uint64_t>(bytesPerFrame(format, channels));
}

WavWriter::WavWriter(const std::string& path, SampleFormat format, int channels, int32_t sampleRate)
    : output_(path),
      format_(format),
      channels_(channels),
      sampleRate_(sampleRate),
      buffer_(kBufferBytes / static_cast<size_t>(bytesPerFrame(format, channels)) *
              static_cast<size_t>(bytesPerFrame(format, channels))) {
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

void WavWriter::flush() {
  writeBytes(buffer_.data(), buffered_);
  buffered_ = 0;
}

void WavWriter::measure(const float* samples, int32_t count) {
  int32_t peak = 0;
  std::memcpy(&peak, &peak_, sizeof peak);
  peak = peakBits(samples, count, peak);
  std::memcpy(&peak_, &peak, sizeof peak_);
  if (format_ == SampleFormat::Float32) clipped_ += overFullScale(samples, count);
}

int32_t WavWriter::pcmCode(float sample, double fullScale) {
  // Nearest code, halves away from zero. Exact: the scale is a power of two, so
  // the product and the added half need far fewer than 53 significant bits.
  const double scaled = static_cast<double>(sample) * fullScale;
  const double rounded = scaled < 0.0 ? -std::floor(0.5 - scaled) : std::floor(scaled + 0.5);
  if (std::isnan(rounded)) {
    ++clipped_;
    return 0;
  }
  if (rounded > fullScale - 1.0) {
    ++clipped_;
    return static_cast<int32_t>(fullScale - 1.0);
  }
  if (rounded < -fullScale) {
    ++clipped_;
    return static_cast<int32_t>(-fullScale);
  }
  return static_cast<int32_t>(rounded);
}

void WavWriter::encode(const float* const* channels, int32_t first, int32_t count, uint8_t* out) {
  // Channel by channel, each sample to its place in the interleaved frames:
  // a tight loop per channel. Locals, not members: the stores through `out`
  // could alias the members.
  const int channelCount = channels_;
  const int sampleBytes = bytesPerSample(format_);
  const size_t frameBytes = static_cast<size_t>(sampleBytes) * static_cast<size_t>(channelCount);
  const bool isFloat = format_ == SampleFormat::Float32;
  const double fullScale = format_ == SampleFormat::Int16 ? kInt16FullScale : kInt24FullScale;
  for (int channel = 0; channel < channelCount; ++channel) {
    const float* samples = channels[channel] + first;
    measure(samples, count);
    uint8_t* place = out + channel * sampleBytes;
    if (isFloat) {
      for (int32_t i = 0; i < count; ++i, place += frameBytes) {
        uint32_t bits = 0;
        std::memcpy(&bits, &samples[i], sizeof bits);
        storeLittleEndian(place, bits, 4);
      }
    } else {
      for (int32_t i = 0; i < count; ++i, place += frameBytes) {
        storeLittleEndian(place, static_cast<uint32_t>(pcmCode(samples[i], fullScale)), sampleBytes);
      }
    }
  }
}

void WavWriter::write(const float* const* channels, int32_t frames) {
  const size_t frameBytes = static_cast<size_t>(bytesPerFrame(format_, channels_));
  int32_t done = 0;
  while (done < frames) {
    const size_t room = (buffer_.size() - buffered_) / frameBytes;
    const int32_t count = static_cast<int32_t>(std::min<size_t>(room, static_cast<size_t>(frames - done)));
    encode(channels, done, count, buffer_.data() + buffered_);
    buffered_ += static_cast<size_t>(count) * frameBytes;
    done += count;
    if (buffered_ == buffer_.size()) flush();
  }
  frames_ += static_cast<uint64_t>(frames);
}

void WavWriter::finish() {
  const uint64_t dataSize = frames_ * static_cast<uint64_t>(bytesPerFrame(format_, channels_));
  if (frames_ > maxFrames(format_, channels_)) {
    throw ToolError(kExitCannotWrite, output_.path() + ": too much audio for one WAV file");
  }
  flush();
  if ((dataSize & 1u) != 0) {
    const uint8_t pad = 0;
    writeBytes(&pad, 1);
  }
  output_.rewind();
  writeHeader();
  output_.commit();
}
