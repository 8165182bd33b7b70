// SPDX-License-Identifier: GPL-2.0-or-later
// The fixture of the tests that read a cross-built binary as a file: it opens the binary at
// the parameter's `path`, or skips the test, saying what builds it, when it is not there.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/plugin_files/pe_file.h"

template <class Param>
class BuiltPeFileTest : public ::testing::TestWithParam<Param> {
 protected:
  void SetUp() override {
    const char* path = this->GetParam().path;
    if (!std::filesystem::exists(path)) {
      GTEST_SKIP() << "no " << path << " (tools/build-windows builds it)";
    }
    file_ = std::make_unique<PeFile>(path);
    ASSERT_TRUE(file_->Ok()) << file_->Error();
  }
  std::unique_ptr<PeFile> file_;
};
