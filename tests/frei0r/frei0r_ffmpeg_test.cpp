// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel.so inside Debian's ffmpeg, a frei0r host we did not write: its frames are held byte
// for byte against the effect run through the host of our own (in a process of its own, so
// that both start from the state the effect has at load) and against `fyrel render`.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fire_reference.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWidth = 64, kHeight = 48;
constexpr size_t kFrameBytes = static_cast<size_t>(kWidth) * kHeight * 4;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Size() { return std::to_string(kWidth) + "x" + std::to_string(kHeight); }

class Frei0rFfmpegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(FYREL_FFMPEG).empty()) GTEST_SKIP() << "ffmpeg not found at configure time";
    if (Shell(std::string(FYREL_FFMPEG) + " -hide_banner -filters | grep -q ' frei0r '") != 0) {
      GTEST_SKIP() << FYREL_FFMPEG << " is built without frei0r";
    }
    std::string pattern = (fs::temp_directory_path() / "fyrel-frei0r-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  static int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Runs a command with its error output kept; false (and the output shown) when it fails.
  bool Run(const std::string& command) {
    const std::string log = (dir_ / "log.txt").string();
    if (Shell(command + " 2>" + Quote(log)) == 0) return true;
    std::ifstream file(log);
    ADD_FAILURE() << command << "\n"
                  << std::string((std::istreambuf_iterator<char>(file)),
                                 std::istreambuf_iterator<char>());
    return false;
  }
  // ffmpeg, finding fyrel.so in the build as every frei0r host does: through FREI0R_PATH.
  bool Ffmpeg(const std::string& arguments) {
    return Run("FREI0R_PATH=" + Quote(FYREL_FREI0R_DIR) + " " + FYREL_FFMPEG +
               " -hide_banner -nostdin -loglevel error -y " + arguments);
  }
  // The filter on `count` frames of raw RGBA input, `before` filters ahead of it.
  bool FilterRaw(const std::string& input, int count, const std::string& params,
                 const std::string& output, const std::string& before = "") {
    std::string filter = "format=rgba," + before + "frei0r=filter_name=fyrel";
    if (!params.empty()) filter += ":filter_params=" + params;
    return Ffmpeg("-f rawvideo -pix_fmt rgba -s " + Size() + " -framerate 25 -i " + Quote(input) +
                  " -frames:v " + std::to_string(count) + " -vf " + Quote(filter) +
                  " -fps_mode passthrough -f rawvideo -pix_fmt rgba " + Quote(output));
  }
  bool Reference(const std::string& frames, const std::string& input, const std::string& output,
                 const std::vector<EffectSetting>& settings) {
    std::string command = std::string(FYREL_REFERENCE) + " " + std::to_string(kWidth) + " " +
                          std::to_string(kHeight) + " " + frames + " " + Quote(input) + " " +
                          Quote(output);
    for (const EffectSetting& s : settings) {
      command += " " + Quote(s.first + "=" + std::to_string(s.second));
    }
    return Run(command);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::string WriteMovingSource(int frames) {
    std::vector<uint8_t> bytes;
    for (int32_t i = 0; i < frames; ++i) {
      const std::vector<uint8_t> frame = TestSource(kWidth, kHeight, i);
      bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    const std::string path = Path("source.rgba");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  static std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
  }

  // Equal bytes, frame for frame; the first difference is named.
  static void ExpectSameFrames(const std::string& gotPath, const std::string& wantPath,
                               int frames) {
    const std::vector<uint8_t> got = Read(gotPath), want = Read(wantPath);
    ASSERT_EQ(want.size(), kFrameBytes * frames) << wantPath;
    ASSERT_EQ(got.size(), want.size()) << gotPath;
    bool fire = false;
    for (size_t i = 0; i < got.size(); ++i) {
      fire = fire || (i % 4 == 3 && want[i] != 0);
      if (got[i] != want[i]) {
        const size_t pixel = (i % kFrameBytes) / 4;
        FAIL() << "frame " << i / kFrameBytes << ", pixel (" << pixel % kWidth << ", "
               << pixel / kWidth << "), byte " << i % 4 << ": " << int(got[i]) << " instead of "
               << int(want[i]);
      }
    }
    EXPECT_TRUE(fire) << "no fire at all: the comparison proves little";
  }

  fs::path dir_;
};

// The frei0r value of an effect setting, as ffmpeg's filter_params spells it.
std::string Frei0rValue(const std::string& kind, int32_t value, int32_t min = 0, int32_t max = 255) {
  char text[64];
  if (kind == "slider") {
    std::snprintf(text, sizeof text, "%.17g", double(value - min) / double(max - min));
  } else if (kind == "box") {
    return value ? "y" : "n";
  } else if (kind == "colour") {
    std::snprintf(text, sizeof text, "%.9g/%.9g/%.9g", ((value >> 16) & 255) / 255.0,
                  ((value >> 8) & 255) / 255.0, (value & 255) / 255.0);
  } else {  // angle, whole degrees
    std::snprintf(text, sizeof text, "%.17g", (value >> 16) / 360.0);
  }
  return text;
}

// Every parameter away from its default: speed, shape, custom colours, birth off, the source
// not inverted, a diagonal fire.
const std::vector<EffectSetting> kCustom = {
    {"Velocity", 80},           {"Height", 20},          {"Soot", 3},
    {"Width", 60},              {"Amplitude", 30},       {"Alpha", 180},
    {"Color 1", 0xFFE0A0},      {"Color 2", 0x40C0FF},   {"Color 3", 0x8000FF},
    {"Color 4", 0x102030},      {"Color 2 Position", 60}, {"Color 3 Position", 200},
    {"Custom Color", 1},        {"Birth", 0},            {"Drop", 1},
    {"Invert Source", 0},       {"Fire Direction", 45 << 16},
};

std::string Frei0rParams(const std::vector<EffectSetting>& settings) {
  std::string params;
  for (const EffectSetting& s : settings) {
    const std::string& name = s.first;
    std::string value;
    if (name == "Velocity") value = Frei0rValue("slider", s.second, 1, 100);
    else if (name.rfind("Color", 0) == 0 && name.size() == 7) value = Frei0rValue("colour", s.second);
    else if (name == "Custom Color" || name == "Birth" || name == "Drop" || name == "Invert Source")
      value = Frei0rValue("box", s.second);
    else if (name == "Fire Direction") value = Frei0rValue("angle", s.second);
    else value = Frei0rValue("slider", s.second);
    params += (params.empty() ? "" : "|") + value;
  }
  return params;
}

TEST_F(Frei0rFfmpegTest, DefaultsMatchTheEffect) {
  const std::string source = WriteMovingSource(8);
  ASSERT_TRUE(FilterRaw(source, 8, "", Path("ffmpeg.rgba")));
  ASSERT_TRUE(Reference("8", source, Path("reference.rgba"), {}));
  ExpectSameFrames(Path("ffmpeg.rgba"), Path("reference.rgba"), 8);
}

TEST_F(Frei0rFfmpegTest, EveryParameterMatchesTheEffect) {
  const std::string source = WriteMovingSource(8);
  ASSERT_TRUE(FilterRaw(source, 8, Frei0rParams(kCustom), Path("ffmpeg.rgba")));
  ASSERT_TRUE(Reference("8", source, Path("reference.rgba"), kCustom));
  ExpectSameFrames(Path("ffmpeg.rgba"), Path("reference.rgba"), 8);
}

// One graph that splits the clip and puts the filter on both branches: two instances in one
// process, each of which must give the fire it gives alone.
TEST_F(Frei0rFfmpegTest, SplitGraphGivesEachBranchItsSoloFire) {
  const std::string source = WriteMovingSource(8);
  const std::string graph = "[0:v]format=rgba,split[a][b];[a]frei0r=filter_name=fyrel[fa];"
                            "[b]frei0r=filter_name=fyrel:filter_params=" +
                            Frei0rParams(kCustom) + "[fb]";
  const std::string output = " -fps_mode passthrough -f rawvideo -pix_fmt rgba ";
  ASSERT_TRUE(Ffmpeg("-f rawvideo -pix_fmt rgba -s " + Size() + " -framerate 25 -i " +
                     Quote(source) + " -filter_complex " + Quote(graph) +
                     " -map '[fa]'" + output + Quote(Path("a.rgba")) + " -map '[fb]'" + output +
                     Quote(Path("b.rgba"))));
  ASSERT_TRUE(Reference("8", source, Path("reference-a.rgba"), {}));
  ASSERT_TRUE(Reference("8", source, Path("reference-b.rgba"), kCustom));
  ExpectSameFrames(Path("a.rgba"), Path("reference-a.rgba"), 8);
  ExpectSameFrames(Path("b.rgba"), Path("reference-b.rgba"), 8);
}

// Times that start over, as after a seek to the start: the filter restarts at frame 1.
TEST_F(Frei0rFfmpegTest, TimeGoingBackRestarts) {
  const std::string source = WriteMovingSource(7);
  std::vector<EffectSetting> settings = kCustom;
  ASSERT_TRUE(FilterRaw(source, 7, Frei0rParams(settings), Path("ffmpeg.rgba"),
                        "setpts='if(lt(N\\,4)\\,N\\,N-4)/25/TB',"));
  ASSERT_TRUE(Reference("1,2,3,4,1,2,3", source, Path("reference.rgba"), settings));
  ExpectSameFrames(Path("ffmpeg.rgba"), Path("reference.rgba"), 7);
}

// The same PNG through ffmpeg and through `fyrel render`, both written as RGBA.
TEST_F(Frei0rFfmpegTest, MatchesFyrelRender) {
  const std::string cli = FYREL_CLI;
  if (cli.empty() || !fs::exists(cli)) GTEST_SKIP() << "the fyrel command is not built";
  const std::string raw = WriteMovingSource(1);
  const std::string png = Path("source.png");
  ASSERT_TRUE(Ffmpeg("-f rawvideo -pix_fmt rgba -s " + Size() + " -i " + Quote(raw) +
                     " -frames:v 1 -pix_fmt rgba " + Quote(png)));
  for (const bool custom : {false, true}) {
    SCOPED_TRACE(custom ? "custom settings" : "defaults");
    const std::string params = custom ? Frei0rParams(kCustom) : "";
    std::string filter = "format=rgba,frei0r=filter_name=fyrel";
    if (custom) filter += ":filter_params=" + params;
    ASSERT_TRUE(Ffmpeg("-loop 1 -i " + Quote(png) + " -frames:v 6 -vf " + Quote(filter) +
                       " -f rawvideo -pix_fmt rgba " + Quote(Path("ffmpeg.rgba"))));
    std::string flags = " --frames 6 --quiet";
    if (custom) {
      flags += " --velocity 80 --height 20 --soot 3 --width 60 --amplitude 30 --alpha 180"
               " --color1 FFE0A0 --color2 40C0FF --color3 8000FF --color4 102030"
               " --color2-position 60 --color3-position 200 --custom-color on --birth off"
               " --drop on --invert-source off --fire-direction 45";
    }
    const std::string out = Path(custom ? "cli-custom" : "cli-defaults");
    ASSERT_TRUE(Run(Quote(cli) + " render --source " + Quote(png) + " --out " + Quote(out) + flags +
                    " >/dev/null"));
    ASSERT_TRUE(Ffmpeg("-i " + Quote(out + "/frame_%04d.png") +
                       " -f rawvideo -pix_fmt rgba " + Quote(Path("cli.rgba"))));
    ExpectSameFrames(Path("ffmpeg.rgba"), Path("cli.rgba"), 6);
  }
}

}  // namespace
