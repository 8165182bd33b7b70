// SPDX-License-Identifier: GPL-2.0-or-later
// frei0r_reference WIDTH HEIGHT FRAMES IN.rgba OUT.rgba [NAME=VALUE ...]
// Renders frames 1 .. FRAMES, or the frames of a list such as 1,2,3,1,2, of raw RGBA source
// frames, the n-th render from the n-th source frame (the last one repeats when the file
// holds fewer), through the effect's `main` with the host of our own, and writes the raw RGBA
// output frames. NAME is an effect parameter's display name; VALUE an integer as the effect
// keeps it (colours 0xRRGGBB). A process of its own, so that the effect starts from the
// state it has at load, as it does inside a freshly started ffmpeg.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fire_reference.h"

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: %s WIDTH HEIGHT FRAMES IN.rgba OUT.rgba [NAME=VALUE ...]\n",
                 argv[0]);
    return 2;
  }
  const int32_t width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  std::vector<int32_t> frames;
  const std::string list = argv[3];
  for (size_t start = 0;;) {
    const size_t comma = list.find(',', start);
    frames.push_back(std::atoi(list.substr(start, comma - start).c_str()));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (frames.size() == 1) {
    const int32_t count = frames[0];
    frames.clear();
    for (int32_t frame = 1; frame <= count; ++frame) frames.push_back(frame);
  }
  const size_t frameBytes = static_cast<size_t>(width) * height * 4;
  std::ifstream in(argv[4], std::ios::binary);
  const std::vector<uint8_t> source((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
  if (width < 1 || height < 1 || frames.empty() || source.size() < frameBytes) {
    std::fprintf(stderr, "%s: bad size, frame count or source %s\n", argv[0], argv[4]);
    return 2;
  }
  ReferenceFire fire(width, height);
  if (!fire.Started()) {
    std::fprintf(stderr, "%s: the effect did not start\n", argv[0]);
    return 1;
  }
  for (int i = 6; i < argc; ++i) {
    const std::string setting = argv[i];
    const size_t equals = setting.find('=');
    if (equals == std::string::npos ||
        !fire.Set({setting.substr(0, equals),
                   static_cast<int32_t>(std::strtol(setting.c_str() + equals + 1, nullptr, 0))})) {
      std::fprintf(stderr, "%s: bad setting '%s'\n", argv[0], argv[i]);
      return 2;
    }
  }
  std::vector<uint8_t> output;
  const size_t available = source.size() / frameBytes;
  for (size_t n = 0; n < frames.size(); ++n) {
    const int32_t frame = frames[n];
    const size_t index = std::min(n, available - 1);
    const std::vector<uint8_t> rgba(source.begin() + index * frameBytes,
                                    source.begin() + (index + 1) * frameBytes);
    const std::vector<uint8_t> out = fire.Render(frame, rgba);
    output.insert(output.end(), out.begin(), out.end());
  }
  const std::string temporary = std::string(argv[5]) + ".part";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(output.data()),
               static_cast<std::streamsize>(output.size()));
    if (!file.flush()) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], temporary.c_str());
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), argv[5]) != 0) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[5]);
    return 1;
  }
  return 0;
}
