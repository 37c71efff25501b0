// Writing the rendered audio as a WAV file.
//
// The samples go to a temporary file beside OUT (see OutputFile); only
// finish() gives it OUT's name, so a failed render never leaves a half-written
// OUT behind and never touches an existing one. Samples are encoded in
// little-endian order, the same on every platform, a block at a
// time into a buffer of about a megabyte that goes to the file when full.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/system/output_file.h"

enum class SampleFormat {
  Float32,  // IEEE float, format tag 3: written as rendered
  Int16,    // PCM, clipped at full scale
  Int24,    // PCM, clipped at full scale
};

class WavWriter {
 public:
  // Throws ToolError (kExitBadInput) when the temporary file cannot be
  // created. The temporary file is removed unless finish() succeeds.
  WavWriter(const std::string& path, SampleFormat format, int channels, int32_t sampleRate);

  // Appends `frames` frames taken from one array per channel. Throws
  // ToolError (kExitCannotWrite) when the buffer cannot be written out.
  void write(const float* const* channels, int32_t frames);
  // Writes out the buffer, completes the header and renames the file. Throws
  // ToolError (kExitCannotWrite).
  void finish();

  // Largest magnitude among the samples written; NaN is not counted.
  float peak() const { return peak_; }
  // Samples beyond full scale: clipped in the integer formats (NaN counted and
  // written as 0), kept as they are in Float32 (magnitude above 1).
  uint64_t clippedSamples() const { return clipped_; }
  uint64_t framesWritten() const { return frames_; }

  // Bytes per sample frame, and the most frames a WAV file of that frame size can hold.
  static int bytesPerFrame(SampleFormat format, int channels);
  static uint64_t maxFrames(SampleFormat format, int channels);

 private:
  void writeHeader();
  void writeBytes(const uint8_t* data, size_t count);
  void flush();
  // Encodes frames [first, first + count) of the channels at out.
  void encode(const float* const* channels, int32_t first, int32_t count, uint8_t* out);
  // Notes the peak of a channel's samples and, for Float32, those beyond full scale.
  void measure(const float* samples, int32_t count);
  // The PCM code of one sample, counting it when clipped.
  int32_t pcmCode(float sample, double fullScale);

  OutputFile output_;
  SampleFormat format_;
  int channels_;
  int32_t sampleRate_;
  std::vector<uint8_t> buffer_;  // whole frames
  size_t buffered_ = 0;          // bytes of it in use
  float peak_ = 0.0f;
  uint64_t clipped_ = 0;
  uint64_t frames_ = 0;
};
