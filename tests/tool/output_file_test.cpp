// Output files: created exclusively under a name of their own, renamed whole,
// removed when unfinished, and listed for a fatal signal to remove.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_folder.h"
#include "tools/system/output_file.h"
#include "tools/system/unfinished_files.h"
#include "tools/system/system_services.h"

namespace {

using Bytes = std::vector<uint8_t>;

void writeText(OutputFile& file, const std::string& text) { file.write(text.data(), text.size()); }

TEST(OutputFile, NewFilesAreNeverCreatedOverAnExistingNameOrThroughALink) {
  TestFolder folder;
  folder.write("taken", {'o', 'l', 'd'});
  std::vector<std::string> names = {"taken"};
#ifndef _WIN32
  std::filesystem::create_symlink("taken", folder.file("link"));
  std::filesystem::create_symlink("nowhere", folder.file("dangling"));
  names.insert(names.end(), {"link", "dangling"});
#endif
  for (const std::string& name : names) {
    bool nameTaken = false;
    std::string failure;
    EXPECT_EQ(createNewFile(folder.file(name), nameTaken, failure), nullptr) << name;
    EXPECT_TRUE(nameTaken) << name << ": " << failure;
  }
  EXPECT_EQ(folder.read("taken"), (Bytes{'o', 'l', 'd'}));
  EXPECT_FALSE(folder.exists("nowhere"));
}

TEST(OutputFile, EachWriterHasATemporaryFileOfItsOwnAndTheLastRenameWinsWhole) {
  TestFolder folder;
  folder.write("out.txt", {'o', 'l', 'd'});
  {
    OutputFile first(folder.file("out.txt"));
    OutputFile second(folder.file("out.txt"));
    writeText(first, "first");
    writeText(second, "second");
    EXPECT_EQ(folder.names().size(), 3u) << "two temporary files beside OUT";
    EXPECT_EQ(folder.read("out.txt"), (Bytes{'o', 'l', 'd'}));
    first.commit();
    EXPECT_EQ(folder.read("out.txt"), (Bytes{'f', 'i', 'r', 's', 't'}));
    second.rewind();
    writeText(second, "S");
    second.commit();
  }
  EXPECT_EQ(folder.read("out.txt"), (Bytes{'S', 'e', 'c', 'o', 'n', 'd'}));
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.txt"});
  {
    OutputFile abandoned(folder.file("out.txt"));
    writeText(abandoned, "lost");
  }
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.txt"}) << "an unfinished file is removed";
}

TEST(OutputFile, ListedUnfinishedFilesAreRemovedAtOnceForgottenOnesAreNot) {
  TestFolder folder;
  folder.write("unfinished", {1});
  folder.write("finished", {2});
  const int unfinished = listUnfinishedFile(folder.file("unfinished"));
  const int finished = listUnfinishedFile(folder.file("finished"));
  ASSERT_GE(unfinished, 0);
  ASSERT_GE(finished, 0);
  forgetUnfinishedFile(finished);
  removeUnfinishedFiles();
  EXPECT_EQ(folder.names(), std::vector<std::string>{"finished"});
}

}  // namespace
