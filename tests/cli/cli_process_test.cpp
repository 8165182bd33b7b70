// SPDX-License-Identifier: GPL-2.0-or-later
// `fyrel` run as a user runs it: what it writes, what it refuses, and what it prints.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/png/png_io.h"
#include "tests/cli/process_runner.h"

namespace fs = std::filesystem;

namespace {

RunResult Fyrel(const fs::path& dir, const std::vector<std::string>& args) {
  return RunProgramIn(dir, FYREL_EXE, args);
}

// A 48 x 32 source: an opaque black block (it burns with "Invert Source" on), a grey ramp,
// and a transparent band that feeds nothing.
void WriteSmallSource(const fs::path& file, int width = 48, int height = 32) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      if (y >= height / 2 && x >= 6 && x < width - 6) {
        p[0] = p[1] = p[2] = 0;
        p[3] = 255;
      } else if (y >= 4 && y < height / 2 && x < width / 2) {
        p[0] = p[1] = p[2] = static_cast<uint8_t>(x * 10);
        p[3] = 255;
      }
    }
  }
  WritePngFile(file.string(), rgba.data(), width, height, 4);
}

std::string DigestOfFrames(const fs::path& dir, const std::vector<std::string>& names) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (const std::string& name : names) {
    RgbaImage image = ReadPngFile((dir / name).string());
    hash = Fnv1a64(image.pixels.data(), image.pixels.size(), hash);
  }
  return DigestHex(hash);
}

bool HasLine(const std::string& output, const std::string& start) {
  return output.rfind(start, 0) == 0 || output.find("\n" + start) != std::string::npos;
}

}  // namespace

TEST(Render, SmallSourceFramesMatchTheirDigest) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  WriteSmallSource(dir / "source.png");
  RunResult run =
      Fyrel(dir, {"render", "--source", "source.png", "--frames", "6", "--out", "frames"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, "wrote 6 frames to frames (frame_0001.png to frame_0006.png)\n");
  ASSERT_EQ(FilesIn(dir / "frames"), FrameNames(1, 6));

  for (const std::string& name : FrameNames(1, 6)) {
    // 8-bit RGBA, the source's size.
    std::vector<uint8_t> bytes = FileBytes(dir / "frames" / name);
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes[24], 8) << name;  // bit depth
    EXPECT_EQ(bytes[25], 6) << name;  // colour type: RGBA
    RgbaImage image = ReadPngFile((dir / "frames" / name).string());
    ASSERT_EQ(image.width, 48);
    ASSERT_EQ(image.height, 32);
    // Row 0 is never written: it stays transparent black.
    for (int i = 0; i < 48 * 4; ++i) ASSERT_EQ(image.pixels[i], 0) << name;
  }
  EXPECT_EQ(DigestOfFrames(dir / "frames", FrameNames(1, 6)), "2e6c08f0db1a3834");

  // Warm-up steps and a custom palette lead elsewhere, and just as reproducibly.
  run = Fyrel(dir, {"render", "--source", "source.png", "--frames", "4", "--out", "warm",
                    "--birth", "off", "--custom-color", "on", "--color3", "#2040FF",
                    "--fire-direction", "45", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(DigestOfFrames(dir / "warm", FrameNames(1, 4)), "31631510829f475d");
}

TEST(Render, ThePluginBinaryWritesTheSameBytes) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  WriteSmallSource(dir / "source.png");
  // Keys and the fire over its source too: the plug-in is told them as a host tells it.
  const std::vector<std::string> common = {"render", "--source", "source.png", "--frames", "5",
                                           "--velocity", "100", "--height", "1|=13;3=60",
                                           "--custom-color", "on", "--color1", "1=FF0000;5=0000FF",
                                           "--composite", "over", "--quiet"};
  std::vector<std::string> linked = common, loaded = common;
  linked.insert(linked.end(), {"--out", "linked"});
  loaded.insert(loaded.end(), {"--out", "loaded", "--plugin", FYREL_PLUGIN});
  ASSERT_EQ(Fyrel(dir, linked).status, 0);
  RunResult run = Fyrel(dir, loaded);
  ASSERT_EQ(run.status, 0) << run.output;
  for (const std::string& name : FrameNames(1, 5)) {
    EXPECT_EQ(FileBytes(dir / "linked" / name), FileBytes(dir / "loaded" / name)) << name;
  }
}

TEST(Render, FrameOneRestartsAndTheFirstRenderAlwaysDoes) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  WriteSmallSource(dir / "source.png");
  // "Birth" off: every restart runs 50 warm-up steps, so a restart is plain to see.
  auto render = [&](const char* start, const char* frames, const char* out) {
    RunResult run = Fyrel(dir, {"render", "--source", "source.png", "--birth", "off", "--start",
                                start, "--frames", frames, "--out", out, "--quiet"});
    ASSERT_EQ(run.status, 0) << run.output;
  };
  render("0", "3", "a");  // frames 0, 1, 2
  render("1", "2", "b");  // frames 1, 2
  render("5", "3", "c");  // frames 5, 6, 7
  ASSERT_EQ(FilesIn(dir / "a"), FrameNames(0, 3));

  // The first render of the sequence resets whatever its number, frame 0 included.
  EXPECT_EQ(PixelDigest(dir / "a/frame_0000.png"), PixelDigest(dir / "b/frame_0001.png"));
  EXPECT_EQ(PixelDigest(dir / "a/frame_0000.png"), PixelDigest(dir / "c/frame_0005.png"));
  // Frame 1 restarts the running flame; any other number just continues it.
  EXPECT_NE(PixelDigest(dir / "a/frame_0001.png"), PixelDigest(dir / "c/frame_0006.png"));
  EXPECT_EQ(PixelDigest(dir / "b/frame_0002.png"), PixelDigest(dir / "c/frame_0006.png"));
}

TEST(Render, TheBuiltInSourceBurnsWithTheDefaults) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  RunResult run = Fyrel(dir, {"render", "--frames", "12", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;
  ASSERT_EQ(FilesIn(dir / "fyrel-out"), FrameNames(1, 12));
  RgbaImage last = ReadPngFile((dir / "fyrel-out/frame_0012.png").string());
  EXPECT_EQ(last.width, 320);
  EXPECT_EQ(last.height, 180);
  size_t burning = 0;
  for (size_t i = 3; i < last.pixels.size(); i += 4) burning += last.pixels[i] == 255;
  EXPECT_GT(burning, 2000u);
}

TEST(Render, BadInputIsOneMessageANonZeroExitAndNothingWritten) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  WriteSmallSource(dir / "source.png");
  {
    std::FILE* f = std::fopen((dir / "notes.png").string().c_str(), "wb");
    std::fputs("plain text\n", f);
    std::fclose(f);
    std::vector<uint8_t> whole = FileBytes(dir / "source.png");
    f = std::fopen((dir / "cut.png").string().c_str(), "wb");
    std::fwrite(whole.data(), 1, whole.size() - 20, f);
    std::fclose(f);
    f = std::fopen((dir / "a-file").string().c_str(), "wb");
    std::fclose(f);
  }
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"--velocity", "0"}, "fyrel: --velocity takes 1 to 100, not '0'\n"},
      {{"--alpha", "300"}, "fyrel: --alpha takes 0 to 255, not '300'\n"},
      {{"--color2", "red"}, "fyrel: --color2 takes RRGGBB (hex, '#' allowed), not 'red'\n"},
      {{"--wind", "3"}, "fyrel: unknown flag '--wind' for fyrel render (see fyrel render --help)\n"},
      {{"--preset", "bonfire"}, "fyrel: --preset takes one of candle, torch, campfire, "},
      {{"--source", "missing.png"}, "fyrel: cannot read missing.png: No such file or directory\n"},
      {{"--source", "notes.png"}, "fyrel: notes.png: not a PNG file\n"},
      {{"--source", "cut.png"}, "fyrel: cut.png: truncated PNG file"},
      {{"--video", "fire.avi"}, "fyrel: --video takes a .mp4, .webm or .gif file, not 'fire.avi'\n"},
      {{"--video", "a-file/fire.gif"}, "fyrel: cannot write to a-file: it is not a directory\n"},
      {{"--plugin", "notes.png"}, "fyrel: cannot load the plug-in notes.png: "},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render", "--source", "source.png", "--out", "out"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult run = Fyrel(dir, args);
    EXPECT_NE(run.status, 0) << c.message;
    EXPECT_EQ(run.output.rfind(c.message, 0), 0u) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    EXPECT_FALSE(fs::exists(dir / "out")) << c.message;
  }

  // An output path that cannot be a directory.
  RunResult run = Fyrel(dir, {"render", "--source", "source.png", "--out", "a-file/frames"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.output, "fyrel: cannot write to a-file: it is not a directory\n");
  EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"a-file", "cut.png", "notes.png", "source.png"}));
}

TEST(Render, RerunsReplaceFramesWholeAndLeaveNoTemporaries) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  WriteSmallSource(dir / "source.png");
  ASSERT_EQ(Fyrel(dir, {"render", "--source", "source.png", "--frames", "3", "--quiet"}).status, 0);
  std::string first = PixelDigest(dir / "fyrel-out/frame_0003.png");
  ASSERT_EQ(Fyrel(dir, {"render", "--source", "source.png", "--frames", "3", "--quiet",
                        "--velocity", "100"}).status,
            0);
  EXPECT_NE(PixelDigest(dir / "fyrel-out/frame_0003.png"), first);
  EXPECT_EQ(FilesIn(dir / "fyrel-out"), FrameNames(1, 3));
}

TEST(Render, AnInterruptedRunLeavesOnlyWholeFrames) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  // Interrupted once it renders (a background job of sh starts with SIGINT ignored until the
  // program sets its own handler).
  RunResult run = RunShell(ShellQuoted(FYREL_EXE) +
                               " render --frames 5000 --quiet & for i in $(seq 200); do [ -e " +
                               ShellQuoted((dir / "fyrel-out/frame_0001.png").string()) +
                               " ] && break; sleep 0.05; done; kill -INT $!; wait $!",
                           dir);
  EXPECT_NE(run.status, 0);  // ended by the signal
  std::vector<std::string> files = FilesIn(dir / "fyrel-out");
  ASSERT_FALSE(files.empty());
  ASSERT_LT(files.size(), 5000u);
  EXPECT_EQ(files, FrameNames(1, static_cast<int>(files.size())));  // no temporaries
  for (const std::string& name : files) {
    EXPECT_NO_THROW(ReadPngFile((dir / "fyrel-out" / name).string())) << name;
  }
}

TEST(Preview, WritesOpaqueFramesOfTheViewersSize) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  RunResult run = Fyrel(dir, {"preview", "--frames", "30"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output,
            "wrote 30 preview frames of 132x123 to fyrel-preview (frame_0001.png to "
            "frame_0030.png)\n");
  ASSERT_EQ(FilesIn(dir / "fyrel-preview"), FrameNames(1, 30));
  std::vector<uint8_t> bytes = FileBytes(dir / "fyrel-preview/frame_0001.png");
  EXPECT_EQ(bytes[24], 8);
  EXPECT_EQ(bytes[25], 2);  // colour type: RGB
  RgbaImage first = ReadPngFile((dir / "fyrel-preview/frame_0001.png").string());
  ASSERT_EQ(first.width, 132);
  ASSERT_EQ(first.height, 123);
  for (size_t i = 0; i < first.pixels.size(); i += 4) {
    ASSERT_EQ(first.pixels[i] | first.pixels[i + 1] | first.pixels[i + 2], 0);  // cold
  }
  RgbaImage later = ReadPngFile((dir / "fyrel-preview/frame_0030.png").string());
  int bottom = 0;
  for (int x = 0; x < 132; ++x) bottom += later.pixels[(122 * 132 + x) * 4];
  EXPECT_GT(bottom, 0);

  run = Fyrel(dir, {"preview", "--size", "20x10", "--frames", "2", "--width", "0", "--out",
                    "small", "--custom-color", "on", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(ReadPngFile((dir / "small/frame_0002.png").string()).width, 20);
  EXPECT_EQ(ReadPngFile((dir / "small/frame_0002.png").string()).height, 10);
}

TEST(Preview, ThePluginGivesTheSameValues) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  ASSERT_EQ(Fyrel(dir, {"preview", "--frames", "20", "--out", "a", "--quiet"}).status, 0);
  ASSERT_EQ(Fyrel(dir, {"preview", "--frames", "20", "--out", "b", "--quiet", "--plugin",
                        FYREL_PLUGIN}).status,
            0);
  EXPECT_EQ(FileBytes(dir / "a/frame_0020.png"), FileBytes(dir / "b/frame_0020.png"));
  EXPECT_FALSE(FileBytes(dir / "a/frame_0020.png").empty());
}

TEST(Texts, AboutHelpAndVersion) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  RunResult about = Fyrel(dir, {"about"});
  ASSERT_EQ(about.status, 0);
  EXPECT_EQ(about.output.rfind("ZEL Fyrel, v2.2\n", 0), 0u) << about.output;
  EXPECT_EQ(about.output.find('\r'), std::string::npos);
  RunResult loaded = Fyrel(dir, {"about", "--plugin", FYREL_PLUGIN});
  EXPECT_EQ(loaded.output, about.output);

  RunResult help = Fyrel(dir, {"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"render", "preview", "about", "presets"}) {
    EXPECT_TRUE(HasLine(help.output, std::string("  ") + command)) << command;
  }
  RunResult presets = Fyrel(dir, {"presets"});
  EXPECT_EQ(presets.status, 0);
  EXPECT_EQ(presets.output.rfind("candle          small, slow, steady flames that barely sway\n"
                                 "torch           the whole shape", 0), 0u) << presets.output;
  EXPECT_EQ(std::count(presets.output.begin(), presets.output.end(), '\n'), 9);
  RunResult renderHelp = Fyrel(dir, {"render", "--help"});
  EXPECT_EQ(renderHelp.status, 0);
  EXPECT_NE(renderHelp.output.find("(1 to 100, default 45)"), std::string::npos);
  EXPECT_NE(renderHelp.output.find("--fire-direction DEGREES"), std::string::npos);
  EXPECT_NE(renderHelp.output.find("--preset NAME"), std::string::npos);
  const std::string version = Fyrel(dir, {"--version"}).output;
  EXPECT_EQ(version.rfind("fyrel 2.2.0\nLicence GPL-2.0-or-later: ", 0), 0u) << version;

  RunResult bare = Fyrel(dir, {});
  EXPECT_EQ(bare.status, 2);
  EXPECT_EQ(bare.output.rfind("usage: fyrel [--plugin FILE] COMMAND", 0), 0u);
  EXPECT_TRUE(FilesIn(dir).empty());
}

TEST(Progress, ShownOnATerminalOnly) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  WriteSmallSource(dir / "source.png");
  const std::string render = ShellQuoted(FYREL_EXE) + " render --source source.png --frames 3";
  // `script` gives the program a terminal.
  RunResult tty = RunShell("script -qec " + ShellQuoted(render) + " /dev/null", dir);
  if (tty.status != 0) GTEST_SKIP() << "no pseudo-terminal here: " << tty.output;
  EXPECT_NE(tty.output.find("frame 3 of 3"), std::string::npos) << tty.output;
  RunResult quiet = RunShell("script -qec " + ShellQuoted(render + " --quiet") + " /dev/null", dir);
  EXPECT_EQ(quiet.output.find("frame 3 of 3"), std::string::npos) << quiet.output;
  RunResult piped = RunShell(render, dir);
  EXPECT_EQ(piped.output.find("frame 3 of 3"), std::string::npos) << piped.output;
}
