// SPDX-License-Identifier: GPL-2.0-or-later
// The progress line on a terminal: frame i of N, frames per second, time left. It rewrites
// one line of stderr and is silent when stderr is not a terminal or when asked to be.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class ProgressLine {
 public:
  ProgressLine(int32_t total, bool enabled);
  ~ProgressLine();
  // `done` frames of the total are finished.
  void Update(int32_t done);
  // Clears the line (also done by the destructor).
  void Finish();

  // The text for `done` frames after `seconds` (exposed for the tests).
  static std::string Text(int32_t done, int32_t total, double seconds);

 private:
  int32_t total_;
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDrawn_;
};
