#pragma once
// Points the registry at a file in a fresh temporary folder for the life of a test and
// restores the environment afterwards; the user's own registry is never touched.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

class TempRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kinetra-registry-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    if (const char* old = std::getenv("KINETRA_REGISTRY")) saved_ = std::string(old);
    path_ = folder_ + "/registry";
    ::setenv("KINETRA_REGISTRY", path_.c_str(), 1);
  }
  void TearDown() override {
    if (saved_)
      ::setenv("KINETRA_REGISTRY", saved_->c_str(), 1);
    else
      ::unsetenv("KINETRA_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  const std::string& registryPath() const { return path_; }
  const std::string& folder() const { return folder_; }
  std::string fileText() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void writeFile(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }

 private:
  std::string folder_, path_;
  std::optional<std::string> saved_;
};
