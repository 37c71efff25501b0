// The WAV writer: header fields, sample encoding, clipping counts and the
// temporary file that becomes the output only when complete. Exact: headers and
// integer samples are compared byte for byte; float samples bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "test_folder.h"
#include "tools/system/tool_error.h"
#include "wav_reading.h"
#include "tools/files/wav_writer.h"

namespace {

std::string tagAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return std::string(bytes.begin() + static_cast<long>(offset), bytes.begin() + static_cast<long>(offset) + 4);
}

// Writes one stereo block of the given left and right samples and finishes.
std::vector<uint8_t> writeStereo(const TestFolder& folder, SampleFormat format, const std::vector<float>& left,
                                 const std::vector<float>& right, uint64_t* clipped = nullptr) {
  WavWriter writer(folder.file("out.wav"), format, 2, 48000);
  const float* channels[] = {left.data(), right.data()};
  writer.write(channels, static_cast<int32_t>(left.size()));
  writer.finish();
  if (clipped != nullptr) *clipped = writer.clippedSamples();
  return folder.read("out.wav");
}

TEST(WavWriter, FloatFileHasFormatTag3AFactChunkAndTheSamplesBitForBit) {
  TestFolder folder;
  const std::vector<float> left = {0.5f, -0.25f, 1.5f};
  const std::vector<float> right = {0.0f, 1e-30f, -2.0f};
  uint64_t overFullScale = 0;
  const std::vector<uint8_t> wav = writeStereo(folder, SampleFormat::Float32, left, right, &overFullScale);
  ASSERT_EQ(wav.size(), 58u + 3 * 8);
  EXPECT_EQ(tagAt(wav, 0), "RIFF");
  EXPECT_EQ(littleEndianAt(wav, 4, 4), wav.size() - 8);
  EXPECT_EQ(tagAt(wav, 8), "WAVE");
  EXPECT_EQ(tagAt(wav, 12), "fmt ");
  EXPECT_EQ(littleEndianAt(wav, 16, 4), 18u);
  EXPECT_EQ(littleEndianAt(wav, 20, 2), 3u);       // IEEE float
  EXPECT_EQ(littleEndianAt(wav, 22, 2), 2u);       // channels
  EXPECT_EQ(littleEndianAt(wav, 24, 4), 48000u);   // frames per second
  EXPECT_EQ(littleEndianAt(wav, 28, 4), 384000u);  // bytes per second
  EXPECT_EQ(littleEndianAt(wav, 32, 2), 8u);       // bytes per frame
  EXPECT_EQ(littleEndianAt(wav, 34, 2), 32u);      // bits per sample
  EXPECT_EQ(littleEndianAt(wav, 36, 2), 0u);       // no extension
  EXPECT_EQ(tagAt(wav, 38), "fact");
  EXPECT_EQ(littleEndianAt(wav, 42, 4), 4u);
  EXPECT_EQ(littleEndianAt(wav, 46, 4), 3u);  // frames
  EXPECT_EQ(tagAt(wav, 50), "data");
  EXPECT_EQ(littleEndianAt(wav, 54, 4), 24u);
  EXPECT_EQ(floatSamples(wav), (std::vector<float>{0.5f, 0.0f, -0.25f, 1e-30f, 1.5f, -2.0f}));
  EXPECT_EQ(overFullScale, 2u);  // kept as they are, but counted
}

TEST(WavWriter, Int16FileIsPlainPcmRoundedToNearestAndClippedAtFullScale) {
  TestFolder folder;
  // 0.5 and -1 are exact codes; 3/65536 is 1.5 steps and rounds up; 1.0 lies
  // one step above the largest code.
  const std::vector<float> left = {0.5f, -1.0f, 3.0f / 65536.0f, 1.0f, -1.5f};
  const std::vector<float> right = {-0.5f, 32767.0f / 32768.0f, -3.0f / 65536.0f, 100.0f,
                                    std::numeric_limits<float>::quiet_NaN()};
  uint64_t clipped = 0;
  const std::vector<uint8_t> wav = writeStereo(folder, SampleFormat::Int16, left, right, &clipped);
  ASSERT_EQ(wav.size(), 44u + 5 * 4);
  EXPECT_EQ(littleEndianAt(wav, 4, 4), wav.size() - 8);
  EXPECT_EQ(littleEndianAt(wav, 16, 4), 16u);
  EXPECT_EQ(littleEndianAt(wav, 20, 2), 1u);  // PCM
  EXPECT_EQ(littleEndianAt(wav, 28, 4), 192000u);
  EXPECT_EQ(littleEndianAt(wav, 32, 2), 4u);
  EXPECT_EQ(littleEndianAt(wav, 34, 2), 16u);
  EXPECT_EQ(tagAt(wav, 36), "data");
  EXPECT_EQ(littleEndianAt(wav, 40, 4), 20u);
  const std::vector<uint32_t> expected = {0x4000, 0xC000, 0x8000, 0x7FFF, 2, 0xFFFE, 0x7FFF, 0x7FFF, 0x8000, 0};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(littleEndianAt(wav, 44 + 2 * i, 2), expected[i]) << i;
  EXPECT_EQ(clipped, 4u);  // 1.0, 100, -1.5 and NaN
}

TEST(WavWriter, Int24FileUsesThreeBytesAndPadsAnOddDataChunk) {
  TestFolder folder;
  const std::vector<float> mono = {-1.0f};
  uint64_t clipped = 0;
  {
    WavWriter writer(folder.file("out.wav"), SampleFormat::Int24, 1, 44100);
    const float* channels[] = {mono.data()};
    writer.write(channels, 1);
    writer.finish();
    clipped = writer.clippedSamples();
  }
  const std::vector<uint8_t> wav = folder.read("out.wav");
  ASSERT_EQ(wav.size(), 44u + 3 + 1);  // the data chunk's odd length takes a pad byte
  EXPECT_EQ(littleEndianAt(wav, 4, 4), wav.size() - 8);
  EXPECT_EQ(littleEndianAt(wav, 32, 2), 3u);
  EXPECT_EQ(littleEndianAt(wav, 34, 2), 24u);
  EXPECT_EQ(littleEndianAt(wav, 40, 4), 3u);
  EXPECT_EQ(littleEndianAt(wav, 44, 3), 0x800000u);
  EXPECT_EQ(clipped, 0u);

  const std::vector<uint8_t> loud =
      writeStereo(folder, SampleFormat::Int24, {1.0f, 0.25f}, {-1.0f - 1.0f / 4194304.0f, -0.25f}, &clipped);
  EXPECT_EQ(littleEndianAt(loud, 44, 3), 0x7FFFFFu);
  EXPECT_EQ(littleEndianAt(loud, 47, 3), 0x800000u);
  EXPECT_EQ(littleEndianAt(loud, 50, 3), 0x200000u);
  EXPECT_EQ(littleEndianAt(loud, 53, 3), 0xE00000u);
  EXPECT_EQ(clipped, 2u);
}

TEST(WavWriter, PeakIsTheLargestMagnitudeAcrossBlocksAndChannels) {
  TestFolder folder;
  WavWriter writer(folder.file("out.wav"), SampleFormat::Int16, 2, 44100);
  const std::vector<float> first = {0.1f, -0.3f};
  const std::vector<float> second = {0.2f, std::numeric_limits<float>::quiet_NaN()};
  const float* block1[] = {first.data(), second.data()};
  writer.write(block1, 2);
  const std::vector<float> third = {-0.7f, 0.0f};
  const float* block2[] = {third.data(), first.data()};
  writer.write(block2, 2);
  EXPECT_EQ(writer.peak(), 0.7f);
  EXPECT_EQ(writer.framesWritten(), 4u);
}

// Several megabytes in odd-sized blocks: the samples cross the writer's
// buffer boundaries (and, in 24 bits, its frames are six bytes) without one
// being lost, repeated or reordered. Exact: every code is k / 2^23 for a whole k.
TEST(WavWriter, LongWritesKeepEverySampleInOrder) {
  TestFolder folder;
  constexpr int32_t kFrames = 400009;
  constexpr int32_t kBlock = 4099;
  const auto codeOf = [](int32_t frame, int channel) {
    return static_cast<int32_t>((static_cast<int64_t>(frame) * 7919 + channel * 104729) % 16777216) - 8388608;
  };
  std::vector<float> left(kBlock), right(kBlock);
  WavWriter writer(folder.file("out.wav"), SampleFormat::Int24, 2, 44100);
  for (int32_t start = 0; start < kFrames; start += kBlock) {
    const int32_t frames = std::min(kBlock, kFrames - start);
    for (int32_t i = 0; i < frames; ++i) {
      left[i] = static_cast<float>(codeOf(start + i, 0)) / 8388608.0f;
      right[i] = static_cast<float>(codeOf(start + i, 1)) / 8388608.0f;
    }
    const float* channels[] = {left.data(), right.data()};
    writer.write(channels, frames);
  }
  writer.finish();
  const std::vector<uint8_t> wav = folder.read("out.wav");
  ASSERT_EQ(wav.size(), 44u + kFrames * 6u);
  for (int32_t frame = 0; frame < kFrames; ++frame) {
    for (int channel = 0; channel < 2; ++channel) {
      const uint32_t code = littleEndianAt(wav, 44 + static_cast<size_t>(frame) * 6 + channel * 3, 3);
      ASSERT_EQ(code, static_cast<uint32_t>(codeOf(frame, channel)) & 0xFFFFFFu) << frame << ", " << channel;
    }
  }
  EXPECT_EQ(writer.clippedSamples(), 0u);
}

TEST(WavWriter, OutputAppearsOnlyWhenFinishedAndNothingIsLeftOtherwise) {
  TestFolder folder;
  const std::vector<float> samples = {0.25f, 0.5f};
  const float* channels[] = {samples.data()};
  {
    WavWriter writer(folder.file("out.wav"), SampleFormat::Float32, 1, 44100);
    writer.write(channels, 2);
    EXPECT_FALSE(folder.exists("out.wav"));
    const std::vector<std::string> names = folder.names();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].rfind("out.wav.", 0), 0u) << "the temporary file lies beside OUT: " << names[0];
  }
  EXPECT_TRUE(folder.names().empty()) << "an unfinished writer left " << folder.names().front();

  folder.write("out.wav", {'o', 'l', 'd'});
  WavWriter writer(folder.file("out.wav"), SampleFormat::Float32, 1, 44100);
  writer.write(channels, 2);
  EXPECT_EQ(folder.read("out.wav").size(), 3u) << "the old file stays until the new one is complete";
  writer.finish();
  EXPECT_EQ(folder.read("out.wav").size(), 58u + 8);
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.wav"});
}

TEST(WavWriter, UnwritableFolderIsRefusedWithExitStatus2) {
  TestFolder folder;
  try {
    WavWriter writer(folder.file("missing-folder/out.wav"), SampleFormat::Int16, 2, 44100);
    FAIL() << "created a file in a folder that does not exist";
  } catch (const ToolError& error) {
    EXPECT_EQ(error.status(), kExitBadInput);
    EXPECT_NE(std::string(error.what()).find("missing-folder/out.wav: cannot create a file in its folder"),
              std::string::npos)
        << error.what();
  }
}

TEST(WavWriter, CapacityFollowsTheFourGigabyteLimitOfRiffSizes) {
  // (2^32 - 1 - header - pad byte) / bytes per frame.
  EXPECT_EQ(WavWriter::maxFrames(SampleFormat::Float32, 2), (4294967295u - 58u - 1u) / 8u);
  EXPECT_EQ(WavWriter::maxFrames(SampleFormat::Int24, 1), (4294967295u - 44u - 1u) / 3u);
}

}  // namespace
