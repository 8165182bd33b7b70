// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel.so inside MLT, the engine of the video editors, driven headless through Debian's
// melt: a clip with the filter gives the bytes of `fyrel render` on the same source, the
// values the Kdenlive description sends reach the effect, and two tracks with the filter
// each keep a fire of their own.
#include <gtest/gtest.h>

// PNG reading and writing of the test, from Debian's stb headers.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fire_reference.h"
#include "kdenlive_description.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWidth = 64, kHeight = 48;
constexpr int kFrames = 8;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Every parameter away from its default, as `fyrel render` flags and as effect values.
const std::vector<EffectSetting> kCustom = {
    {"Velocity", 80},           {"Height", 20},           {"Soot", 3},
    {"Width", 60},              {"Amplitude", 30},        {"Alpha", 180},
    {"Color 1", 0xFFE0A0},      {"Color 2", 0x40C0FF},    {"Color 3", 0x8000FF},
    {"Color 4", 0x102030},      {"Color 2 Position", 60}, {"Color 3 Position", 200},
    {"Custom Color", 1},        {"Birth", 0},             {"Drop", 1},
    {"Invert Source", 0},       {"Fire Direction", 45},
};
const char kCustomFlags[] =
    " --velocity 80 --height 20 --soot 3 --width 60 --amplitude 30 --alpha 180"
    " --color1 FFE0A0 --color2 40C0FF --color3 8000FF --color4 102030"
    " --color2-position 60 --color3-position 200 --custom-color on --birth off"
    " --drop on --invert-source off --fire-direction 45";

class Frei0rMeltTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string melt = FYREL_MELT;
    if (melt.empty() || access(melt.c_str(), X_OK) != 0) {
      GTEST_SKIP() << "melt not found (" << (melt.empty() ? "at configure time" : melt)
                   << "): install Debian's melt package to run the MLT tests";
    }
    ASSERT_TRUE(fs::exists(FYREL_CLI)) << FYREL_CLI;
    std::string pattern = (fs::temp_directory_path() / "fyrel-melt-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    WriteProfile(kHeight);
  }
  // melt scales to its default 720x576 unless the profile is the source's own size.
  void WriteProfile(int32_t height) {
    std::ofstream(Path("profile"))
        << "description=fyrel test\nwidth=" << kWidth << "\nheight=" << height
        << "\nsample_aspect_num=1\nsample_aspect_den=1\ndisplay_aspect_num=" << kWidth
        << "\ndisplay_aspect_den=" << height
        << "\nframe_rate_num=25\nframe_rate_den=1\nprogressive=1\ncolorspace=709\n";
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Runs a command with its output kept; false (and the output shown) when it fails.
  bool Run(const std::string& command) {
    const std::string log = Path("log.txt");
    const int status = std::system((command + " >" + Quote(log) + " 2>&1").c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    std::ifstream file(log);
    ADD_FAILURE() << command << "\n"
                  << std::string((std::istreambuf_iterator<char>(file)),
                                 std::istreambuf_iterator<char>());
    return false;
  }

  // A still source: frame `index` of the moving test source, as an RGBA PNG.
  std::string WriteSource(const std::string& name, int32_t index) {
    const std::vector<uint8_t> rgba = TestSource(kWidth, kHeight, index);
    const std::string path = Path(name);
    EXPECT_NE(stbi_write_png(path.c_str(), kWidth, kHeight, 4, rgba.data(), kWidth * 4), 0);
    return path;
  }

  // melt with fyrel.so found as every frei0r host finds it, writing RGBA PNG frames into
  // `out`; `threads` render threads (MLT's negative real_time: every frame, none dropped).
  // On a loaded machine melt now and then ends at once with status 0 and no frame at all
  // (at times saying it failed to load its producer); such a run is made again, up to three
  // times. A filter that fails ends melt with another status, or leaves frames to compare.
  bool Melt(const std::string& arguments, const std::string& out, int threads = 1) {
    for (int attempt = 1;; ++attempt) {
      fs::remove_all(Path(out));
      fs::create_directories(Path(out));
      if (!Run("FREI0R_PATH=" + Quote(FYREL_FREI0R_DIR) + " " + FYREL_MELT + " -silent -profile " +
               Quote(Path("profile")) + " " + arguments + " -consumer " +
               Quote("avformat:" + Path(out) + "/frame_%04d.png") +
               " vcodec=png pix_fmt=rgba real_time=-" + std::to_string(threads))) {
        return false;
      }
      if (attempt == 3 || !fs::is_empty(Path(out))) return true;
    }
  }
  // A still clip of kFrames frames for melt.
  static std::string Clip(const std::string& png) {
    return Quote("pixbuf:" + png) + " out=" + std::to_string(kFrames - 1);
  }

  bool FyrelRender(const std::string& png, const std::string& out, const std::string& flags) {
    return Run(Quote(FYREL_CLI) + " render --source " + Quote(png) + " --out " +
               Quote(Path(out)) + " --frames " + std::to_string(kFrames) + " --quiet" + flags);
  }

  // Frame for frame the same RGBA bytes; the first difference is named.
  void ExpectSameFrames(const std::string& got, const std::string& want) {
    bool fire = false;
    for (int i = 1; i <= kFrames; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/frame_%04d.png", i);
      const std::vector<uint8_t> a = Load(Path(got) + name), b = Load(Path(want) + name);
      ASSERT_EQ(b.size(), static_cast<size_t>(kWidth) * kHeight * 4) << want << name;
      ASSERT_EQ(a.size(), b.size()) << got << name;
      for (size_t k = 0; k < a.size(); ++k) {
        fire = fire || (k % 4 == 3 && b[k] != 0);
        if (a[k] != b[k]) {
          FAIL() << got << name << ": pixel (" << (k / 4) % kWidth << ", " << (k / 4) / kWidth
                 << "), byte " << k % 4 << " is " << int(a[k]) << ", " << want << " has "
                 << int(b[k]);
        }
      }
    }
    EXPECT_TRUE(fire) << "no fire at all: the comparison proves little";
  }

  static std::vector<uint8_t> Load(const std::string& path) {
    int w = 0, h = 0, n = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!pixels) return {};
    std::vector<uint8_t> rgba(pixels, pixels + static_cast<size_t>(w) * h * 4);
    stbi_image_free(pixels);
    return rgba;
  }

  // The custom settings as the Kdenlive description sets them on the MLT filter; animated
  // parameters as Kdenlive writes them, a keyframe at the start.
  std::string KdenliveProperties() {
    const KdenliveEffect effect = ReadKdenliveEffect(FYREL_KDENLIVE_EFFECT);
    EXPECT_EQ(effect.error, "");
    std::string properties;
    for (const EffectSetting& setting : kCustom) {
      for (const KdenliveParam& param : effect.params) {
        if (param.name != setting.first) continue;
        const std::string value = KdenliveValue(param, setting.second);
        EXPECT_NE(value, "") << param.name << " cannot show " << setting.second;
        const std::string keyframe = param.type == "animated" ? "00:00:00.000=" : "";
        properties += " " + Quote(param.name + "=" + keyframe + value);
      }
    }
    return properties;
  }

  fs::path dir_;
};

TEST_F(Frei0rMeltTest, ClipMatchesFyrelRender) {
  const std::string png = WriteSource("source.png", 0);
  ASSERT_TRUE(Melt(Clip(png) + " -filter frei0r.fyrel", "melt"));
  ASSERT_TRUE(FyrelRender(png, "cli", ""));
  ExpectSameFrames("melt", "cli");
}

// Every parameter set as Kdenlive sets it from its description: MLT hands the filter values
// that reach the effect as the settings shown.
TEST_F(Frei0rMeltTest, KdenliveValuesReachTheEffect) {
  const std::string png = WriteSource("source.png", 0);
  ASSERT_TRUE(Melt(Clip(png) + " -filter frei0r.fyrel" + KdenliveProperties(), "melt"));
  ASSERT_TRUE(FyrelRender(png, "cli", kCustomFlags));
  ExpectSameFrames("melt", "cli");
}

// Keys on the filter's parameters in MLT's animation strings, whose positions count from 0,
// give the frames `fyrel render` gives with the same keys at frames counted from 1: a straight
// line between two keys and a value held until the next.
TEST_F(Frei0rMeltTest, KeyframesGiveTheRenderersFrames) {
  const std::string png = WriteSource("source.png", 0);
  auto unit = [](int value, int min, int max) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", double(value - min) / (max - min));
    return std::string(text);
  };
  const std::string keys = " " + Quote("Height=0=" + unit(10, 0, 255) + ";7=" + unit(40, 0, 255)) +
                           " " + Quote("Velocity=0|=" + unit(45, 1, 100) + ";3=" + unit(90, 1, 100));
  ASSERT_TRUE(Melt(Clip(png) + " -filter frei0r.fyrel" + keys, "melt"));
  ASSERT_TRUE(FyrelRender(png, "cli", " --height '1=10;8=40' --velocity '1|=45;4=90'"));
  ExpectSameFrames("melt", "cli");
  // Not the same as the values held from the start: the keys did something.
  ASSERT_TRUE(FyrelRender(png, "held", " --height 10 --velocity 45"));
  EXPECT_NE(Load(Path("held") + "/frame_0008.png"), Load(Path("cli") + "/frame_0008.png"));
}

// Two tracks with the filter at once, different sources and settings. The upper track is
// laid over the lower one fully transparent: MLT renders both, and the lower one shows as it
// is. Run once with each track below; each must show its solo render.
TEST_F(Frei0rMeltTest, TwoTracksEachKeepTheirOwnFire) {
  const std::string first = WriteSource("first.png", 0), second = WriteSource("second.png", 5);
  ASSERT_TRUE(FyrelRender(first, "first-solo", ""));
  ASSERT_TRUE(FyrelRender(second, "second-solo", kCustomFlags));
  const std::string firstTrack = "-track " + Clip(first) + " -attach-track frei0r.fyrel";
  const std::string secondTrack =
      "-track " + Clip(second) + " -attach-track frei0r.fyrel" + KdenliveProperties();
  const std::string hidden = " -transition affine a_track=0 b_track=1 rect=0/0:" +
                             std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                             ":0 in=0 out=" + std::to_string(kFrames - 1);
  ASSERT_TRUE(Melt(firstTrack + " " + secondTrack + hidden, "first-below"));
  ExpectSameFrames("first-below", "first-solo");
  ASSERT_TRUE(Melt(secondTrack + " " + firstTrack + hidden, "second-below"));
  ExpectSameFrames("second-below", "second-solo");
}

// MLT's `threads` cuts each frame into bands and hands them all to one filter instance at once,
// one per thread: the filter takes them one at a time, and the editor goes on.
TEST_F(Frei0rMeltTest, SlicedFramesAreTakenOneAtATime) {
  const std::string png = WriteSource("source.png", 0);
  for (const auto& [height, threads] : {std::pair{kHeight, 2}, {kHeight, 3}, {kHeight, 4}, {47, 4}, {99, 3}}) {
    SCOPED_TRACE("height " + std::to_string(height) + ", threads=" + std::to_string(threads));
    WriteProfile(height);
    const std::string out = "sliced-" + std::to_string(height) + "-" + std::to_string(threads);
    ASSERT_TRUE(Melt(Clip(png) + " -filter frei0r.fyrel threads=" + std::to_string(threads), out));
    EXPECT_EQ(std::distance(fs::directory_iterator(Path(out)), fs::directory_iterator()), kFrames);
  }
}

}  // namespace
