// Plug-in texts as JSON strings: escapes where JSON needs them, valid UTF-8
// kept byte for byte, any other byte read as Latin-1. Exact.
#include <gtest/gtest.h>

#include <string>

#include "tools/files/json_text.h"

namespace {

TEST(InfoJson, TextsBecomeValidJsonStrings) {
  EXPECT_EQ(jsonString("Gain \"dB\" \\ 1"), "\"Gain \\\"dB\\\" \\\\ 1\"");
  EXPECT_EQ(jsonString(std::string("a\nb\x01\x7F", 5)), "\"a\\u000Ab\\u0001\\u007F\"");
  EXPECT_EQ(jsonString("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB9"), "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB9\"");
  EXPECT_EQ(jsonString("caf\xE9"), "\"caf\\u00E9\"");
  // Overlong, a UTF-16 surrogate, cut short: each byte as Latin-1.
  EXPECT_EQ(jsonString("\xC0\x80"), "\"\\u00C0\\u0080\"");
  EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"\\u00ED\\u00A0\\u0080\"");
  EXPECT_EQ(jsonString("\xE2\x82"), "\"\\u00E2\\u0082\"");
}

}  // namespace
