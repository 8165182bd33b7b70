// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/output/progress_line.h"

#include <cstdio>

namespace {
// Wide enough for every text; the padding blanks out what a longer earlier text left.
constexpr int kLineWidth = 60;
}  // namespace

ProgressLine::ProgressLine(int32_t total, bool enabled)
    : total_(total), enabled_(enabled), start_(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() { Finish(); }

std::string ProgressLine::Text(int32_t done, int32_t total, double seconds) {
  char text[128];
  if (done <= 0 || seconds <= 0.0) {
    std::snprintf(text, sizeof text, "frame %d of %d", static_cast<int>(done),
                  static_cast<int>(total));
    return text;
  }
  double fps = done / seconds;
  long left = static_cast<long>((total - done) / fps + 0.5);
  std::snprintf(text, sizeof text, "frame %d of %d, %.1f fps, %ld:%02ld left",
                static_cast<int>(done), static_cast<int>(total), fps, left / 60, left % 60);
  return text;
}

void ProgressLine::Update(int32_t done) {
  if (!enabled_) return;
  auto now = std::chrono::steady_clock::now();
  // At most ten redraws a second, and always the last frame.
  if (shown_ && done < total_ && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
  lastDrawn_ = now;
  double seconds = std::chrono::duration<double>(now - start_).count();
  std::fprintf(stderr, "\r%-*s", kLineWidth, Text(done, total_, seconds).c_str());
  std::fflush(stderr);
  shown_ = true;
}

void ProgressLine::Finish() {
  if (!shown_) return;
  std::fprintf(stderr, "\r%*s\r", kLineWidth, "");
  std::fflush(stderr);
  shown_ = false;
}
