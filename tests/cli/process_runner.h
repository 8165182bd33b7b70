// SPDX-License-Identifier: GPL-2.0-or-later
// Running the `fyrel` program from a test: its exit status and everything it printed, a fresh
// working directory per test, and what the tests read back of the files it writes.
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/platform/cli_error.h"
#include "cli/png/png_io.h"
#include "tests/support/digest.h"

struct RunResult {
  int status = -1;
  std::string output;  // stdout and stderr together
};

inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

// Runs `command` (already quoted) in `dir` through the shell.
inline RunResult RunShell(const std::string& command, const std::filesystem::path& dir) {
  std::string line = "cd " + ShellQuoted(dir.string()) + " && " + command + " 2>&1";
  RunResult result;
  std::FILE* pipe = ::popen(line.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
  int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

inline RunResult RunProgramIn(const std::filesystem::path& dir, const std::string& program,
                              const std::vector<std::string>& args) {
  std::string command = ShellQuoted(program);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  return RunShell(command, dir);
}

// A new, empty directory for the running test: <root>/<suite>.<test>.
inline std::filesystem::path FreshTestDir(const std::string& root) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir =
      std::filesystem::path(root) / (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The decoded pixels of a PNG file: RGBA rows, digested.
inline std::string PixelDigest(const std::filesystem::path& file) {
  RgbaImage image = ReadPngFile(file.string());
  return DigestHex(Fnv1a64(image.pixels.data(), image.pixels.size()));
}

inline std::vector<uint8_t> FileBytes(const std::filesystem::path& file) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(file.string().c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(f);
  return bytes;
}

// Files in `dir`, names sorted.
inline std::vector<std::string> FilesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  if (!std::filesystem::is_directory(dir)) return names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The names the renderer gives frames `first` to `first + count - 1`.
inline std::vector<std::string> FrameNames(int first, int count) {
  std::vector<std::string> names;
  for (int i = first; i < first + count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04d.png", i);
    names.push_back(name);
  }
  return names;
}

// The message reading the PNG file at `path` is refused with; empty when it is read.
inline std::string ReadError(const std::string& path) {
  try {
    ReadPngFile(path);
  } catch (const CliError& error) {
    return error.what();
  }
  return "";
}
