// The screenshot quorlin-host takes of the editor, against the one the README
// shows (docs/editor.png, taken the same way on Linux). Paths can be given
// through QUORLIN_SCREENSHOT and QUORLIN_REFERENCE_SCREENSHOT, as the Wine
// comparison script does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "png_reader.h"
#include "tools/files/png_writer.h"

namespace {

std::string pathFrom(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  return value && *value ? value : fallback;
}

// Software renderers may round lighting and edges a little differently from
// one build to another; the same picture stays within 8 levels per channel.
constexpr int kChannelTolerance = 8;

TEST(EditorScreenshot, MatchesTheReadmePicture) {
  const PngPicture shot = readPngFile(pathFrom("QUORLIN_SCREENSHOT", EDITOR_SCREENSHOT));
  const PngPicture reference = readPngFile(pathFrom("QUORLIN_REFERENCE_SCREENSHOT", README_SCREENSHOT));
  ASSERT_EQ(shot.width, 300);
  ASSERT_EQ(shot.height, 200);
  ASSERT_EQ(reference.width, shot.width);
  ASSERT_EQ(reference.height, shot.height);
  int outside = 0, worst = 0;
  for (size_t i = 0; i < shot.rgb.size(); ++i) {
    const int difference = std::abs(shot.rgb[i] - reference.rgb[i]);
    worst = std::max(worst, difference);
    outside += difference > kChannelTolerance;
  }
  EXPECT_EQ(outside, 0) << "largest difference " << worst;
}

TEST(ScreenshotPng, ReadsBackWhatTheToolWrites) {
  RgbImage image;
  image.width = 300;
  image.height = 250;  // more than one stored block of data
  for (int i = 0; i < image.width * image.height * 3; ++i) image.pixels.push_back(static_cast<uint8_t>(i * 7 + i / 300));
  std::vector<uint8_t> bytes = encodePng(image);
  const PngPicture picture = readPng(bytes);
  EXPECT_EQ(picture.width, 300);
  EXPECT_EQ(picture.height, 250);
  EXPECT_EQ(picture.rgb, image.pixels);

  bytes[bytes.size() / 2] ^= 1;  // a flipped bit is caught by the checksums
  EXPECT_THROW(readPng(bytes), std::runtime_error);
}

}  // namespace
