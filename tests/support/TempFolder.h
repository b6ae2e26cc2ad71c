// A temporary folder of its own for one test, removed with everything in it
// when the object goes: tests leave nothing behind in the system's
// temporary folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

class CTempFolder {
 public:
  CTempFolder() {
    std::string pattern = testing::TempDir() + "/pardow-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (mkdtemp(buf.data()) != nullptr) dir_ = buf.data();
  }
  ~CTempFolder() {
    std::error_code error;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, error);
  }
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;

  // The folder (empty when it could not be made).
  const std::string& Dir() const { return dir_; }
  // A path for `name` inside the folder.
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};
