// Splitting a batch list into lines and words, exactly as written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/commands/batch_list.h"

namespace {

using Words = std::vector<std::string>;

TEST(BatchList, SkipsBlankAndCommentLinesAndKeepsLineNumbers) {
  const std::vector<BatchLine> lines =
      parseBatchList("# songs\n\n a.mid  a.wav --rate 48000\r\n\t\r\n   # later\nb.mid b.wav");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].number, 3);
  EXPECT_EQ(lines[0].words, (Words{"a.mid", "a.wav", "--rate", "48000"}));
  EXPECT_EQ(lines[1].number, 6);
  EXPECT_EQ(lines[1].words, (Words{"b.mid", "b.wav"}));
}

TEST(BatchList, QuotesHoldBlanksAnywhereInAWordAndBackslashesAreKept) {
  const std::vector<BatchLine> lines =
      parseBatchList("\"my song.mid\" C:\\out\\\"my song\".wav \"\" #not-a-comment\n\"open.mid out.wav\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].words, (Words{"my song.mid", "C:\\out\\my song.wav", "", "#not-a-comment"}));
  EXPECT_EQ(lines[0].problem, "");
  EXPECT_EQ(lines[1].problem, "a quote is not closed");
}

}  // namespace
