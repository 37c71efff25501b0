// A fresh folder for one test's files, named after the test, below the
// working directory (the build folder), so that tests can run in parallel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TestFolder {
 public:
  TestFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::string("tool-test-files/") + test->test_suite_name() + "." + test->name();
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }

  // The path of a file in the folder, relative to the working directory.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(file(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file(name);
  }

  std::vector<uint8_t> read(const std::string& name) const {
    std::ifstream stream(file(name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  }

  bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

  // Every file name in the folder, to show that nothing was left behind.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      found.push_back(entry.path().filename().string());
    return found;
  }

 private:
  std::string path_;
};
