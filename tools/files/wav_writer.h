// Writing the rendered audio as a WAV file.
//
// The samples go to a temporary file beside OUT (see OutputFile); only
// finish() gives it OUT's name, so a failed render never leaves a half-written
// OUT behind and never touches an existing one. Samples are encoded byte by
// byte in little-endian order, the same on every platform.
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

  // Appends `frames` frames taken from one array per channel.
  void write(const float* const* channels, int32_t frames);
  // Completes the header and renames the file. Throws ToolError (kExitCannotWrite).
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
  // Writes one sample's bytes at out and returns the place after them.
  uint8_t* encode(float sample, uint8_t* out);

  OutputFile output_;
  SampleFormat format_;
  int channels_;
  int32_t sampleRate_;
  std::vector<uint8_t> buffer_;
  float peak_ = 0.0f;
  uint64_t clipped_ = 0;
  uint64_t frames_ = 0;
};
