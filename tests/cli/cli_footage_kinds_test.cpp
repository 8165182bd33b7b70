// SPDX-License-Identifier: GPL-2.0-or-later
// Footage as phones, cameras and screen recorders write it, made with ffmpeg's test sources:
// each kind renders the frames a player shows (the same bytes as those frames rendered from a
// PNG sequence or a PNG still), keeps its rate and sound in the video, or is refused at once
// with nothing written.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/png/png_io.h"
#include "tests/cli/png_chunks.h"
#include "tests/cli/process_runner.h"

namespace fs = std::filesystem;

namespace {

bool HaveFfmpeg() {
  return RunShell("ffmpeg -version >/dev/null && ffprobe -version >/dev/null", ".").status == 0;
}

// fyrel render of `source` into `out`, the fire over the source so that the source shows.
RunResult RenderOver(const fs::path& dir, const std::string& source, const std::string& out,
                     std::vector<std::string> more = {}, bool quiet = true) {
  std::vector<std::string> args = {"render", "--source", source, "--out", out, "--composite",
                                   "over", "--invert-source", "off"};
  if (quiet) args.push_back("--quiet");
  args.insert(args.end(), more.begin(), more.end());
  return RunProgramIn(dir, FYREL_EXE, args);
}

// ffprobe's value of `entry` (stream=r_frame_rate ...) for `stream` (v:0, a:0) of `file`.
std::string Probed(const fs::path& dir, const std::string& file, const std::string& stream,
                   const std::string& entry) {
  RunResult run = RunShell("ffprobe -v error -select_streams " + stream + " -show_entries " +
                               entry + " -of default=nw=1:nk=1 " + ShellQuoted(file),
                           dir);
  while (!run.output.empty() && run.output.back() == '\n') run.output.pop_back();
  return run.output;
}

const char* const kPattern = "testsrc=size=48x32:rate=25";

// A phone's photo: the JPEG `file` given an EXIF orientation of 6 (turn clockwise to show).
void MarkTurnedClockwise(const fs::path& file) {
  std::vector<uint8_t> jpeg = FileBytes(file);
  const uint8_t app1[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,
                          'I', 'I', 42, 0, 8, 0, 0, 0,        // little-endian, the entries at 8
                          1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,  // one entry: Orientation, a short
                          6, 0, 0, 0, 0, 0, 0, 0};             // 6; no next entries
  jpeg.insert(jpeg.begin() + 2, app1, app1 + sizeof app1);
  std::FILE* out = std::fopen(file.string().c_str(), "wb");
  std::fwrite(jpeg.data(), 1, jpeg.size(), out);
  std::fclose(out);
}

// The header and the image data (IDAT chunks joined) of the PNG file `file`.
std::pair<std::vector<uint8_t>, std::vector<uint8_t>> HeaderAndData(const fs::path& file) {
  const std::vector<uint8_t> png = FileBytes(file);
  std::vector<uint8_t> header, data;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t length = uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    const std::string type(png.begin() + at + 4, png.begin() + at + 8);
    std::vector<uint8_t>& into = type == "IHDR" ? header : data;
    if (type == "IHDR" || type == "IDAT") into.insert(into.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
    at += 12 + length;
  }
  return {header, data};
}

// An animation of one frame that is not the default image: the default image from
// `shown.png`, the frame (in fdAT) from `frame.png`, both of one size and kind.
void WriteOneFrameAnimation(const fs::path& shown, const fs::path& frame, const fs::path& out) {
  const auto [header, defaultData] = HeaderAndData(shown);
  const std::vector<uint8_t> frameData = HeaderAndData(frame).second;
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  AppendChunk(&png, "IHDR", header);
  AppendChunk(&png, "acTL", {0, 0, 0, 1, 0, 0, 0, 0});
  AppendChunk(&png, "IDAT", defaultData);
  std::vector<uint8_t> control = {0, 0, 0, 0};                 // sequence number 0
  control.insert(control.end(), header.begin(), header.begin() + 8);  // width, height
  control.insert(control.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 10, 0, 0});
  AppendChunk(&png, "fcTL", control);
  std::vector<uint8_t> frameChunk = {0, 0, 0, 1};
  frameChunk.insert(frameChunk.end(), frameData.begin(), frameData.end());
  AppendChunk(&png, "fdAT", frameChunk);
  AppendChunk(&png, "IEND", {});
  std::FILE* file = std::fopen(out.string().c_str(), "wb");
  std::fwrite(png.data(), 1, png.size(), file);
  std::fclose(file);
}

}  // namespace

// Footage as cameras, recorders, downloads and damaged disks leave it: each gives the frames a
// player (ffmpeg) shows of it, no more and no fewer, and says what it passed over or changed.
TEST(FootageKinds, EachGivesTheFramesAPlayerShows) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  struct Case {
    const char* name;
    std::string make;   // makes `source` from ffmpeg's test sources
    std::string shown;  // writes what a player shows into shown/ (a still: shown/001.png)
    std::string source;
    bool still;
    std::string note = "";  // in what fyrel says of the whole run
  };
  const std::string src = std::string("ffmpeg -v error -f lavfi -i ") + kPattern;
  const auto decoded = [](const std::string& file) {
    return "ffmpeg -v quiet -i " + file + " -vsync passthrough -pix_fmt rgba shown/%03d.png";
  };
  const char* const cut = "python3 -c \"import sys; d=open(sys.argv[1],'rb').read(); "
                          "open(sys.argv[2],'wb').write(d[:len(d)*int(sys.argv[3])//100])\" ";
  const std::string base = std::string("ffmpeg -v error -f lavfi -i ") + kPattern +
                           " -frames:v 4 -pix_fmt yuv420p base.mp4 && ";
  const std::string decodedAsShown =
      "ffmpeg -v error -i c.mp4 -vsync passthrough -pix_fmt rgba shown/%03d.png";
  const Case cases[] = {
      // A phone's portrait clip: stored on its side, with a quarter turn in the track header.
      {"rotated 90", base + "ffmpeg -v error -i base.mp4 -c copy -metadata:s:v:0 rotate=90 c.mp4",
       "ffmpeg -v error -noautorotate -i c.mp4 -vf format=rgba,transpose=cclock shown/%03d.png",
       "c.mp4", false},
      {"rotated 180", base + "ffmpeg -v error -i base.mp4 -c copy -metadata:s:v:0 rotate=180 c.mp4",
       "ffmpeg -v error -noautorotate -i c.mp4 -vf format=rgba,hflip,vflip shown/%03d.png", "c.mp4",
       false},
      {"rotated 270", base + "ffmpeg -v error -i base.mp4 -c copy -metadata:s:v:0 rotate=270 c.mp4",
       "ffmpeg -v error -noautorotate -i c.mp4 -vf format=rgba,transpose=clock shown/%03d.png",
       "c.mp4", false},
      // A screen recording: 10 frames 40 ms apart, then 10 frames 100 ms apart. A constant
      // rate would make 33 frames of them.
      {"variable rate",
       std::string("ffmpeg -v error -f lavfi -i ") + kPattern +
           " -frames:v 20 -vf \"setpts='if(lt(N,10),N*0.04,0.4+(N-10)*0.1)/TB'\" -vsync vfr "
           "-pix_fmt yuv420p c.mp4",
       decodedAsShown, "c.mp4", false},
      // An editor's cut without re-encoding: an edit list starts the clip after a key frame.
      {"edit list",
       std::string("ffmpeg -v error -f lavfi -i ") + kPattern +
           " -frames:v 50 -g 50 -pix_fmt yuv420p long.mp4 && "
           "ffmpeg -v error -ss 0.5 -i long.mp4 -c copy -t 0.6 c.mp4",
       decodedAsShown, "c.mp4", false},
      // fyrel's own kind of .webm: VP9 with an alpha plane.
      {"VP9 with alpha",
       std::string("ffmpeg -v error -f lavfi -i \"") + kPattern +
           ",format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='5*X'\" -frames:v 3 "
           "-c:v libvpx-vp9 -pix_fmt yuva420p -auto-alt-ref 0 c.webm",
       "ffmpeg -v error -c:v libvpx-vp9 -i c.webm -pix_fmt rgba shown/%03d.png", "c.webm", false},
      // An animated PNG (ffmpeg's encoder blends each frame over the one before where that is
      // smaller) against its frames as a numbered PNG sequence.
      {"animated PNG",
       std::string("ffmpeg -v error -f lavfi -i \"") + kPattern +
           ",format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='if(gt(X,N*8),255,40)'\" "
           "-frames:v 6 shown/%03d.png && ffmpeg -v error -framerate 10 -i shown/%03d.png "
           "-plays 0 -f apng c.png",
       "true", "c.png", false},
      // A still that is not a PNG, under a name that does not say what it is.
      {"JPEG still",
       std::string("ffmpeg -v error -f lavfi -i ") + kPattern + " -frames:v 1 -f mjpeg photo",
       "ffmpeg -v error -i photo -pix_fmt rgba shown/001.png", "photo", true},
      {"turned photo",
       std::string("ffmpeg -v error -f lavfi -i ") + kPattern + " -frames:v 1 photo.jpg",
       "ffmpeg -v error -noautorotate -i photo.jpg -vf format=rgba,transpose=clock shown/001.png",
       "photo.jpg", true},
      // An animation of one frame that is not its default image (written below): that frame.
      {"one-frame animation", src + ",format=rgba -frames:v 1 default.png && " + src +
                                  ",format=rgba,negate -frames:v 1 frame.png",
       "ffmpeg -v error -i c.png -frames:v 1 -pix_fmt rgba shown/001.png", "c.png", true},
      // A download cut short: 60 of its bytes of 100, the index whole at the front.
      {"cut MP4", src + " -frames:v 100 -pix_fmt yuv420p -movflags +faststart whole.mp4 && " +
                      cut + "whole.mp4 c.mp4 60",
       decoded("c.mp4"), "c.mp4", false, "c.mp4 claims 100 frames, of which"},
      // Two recordings of different sizes joined end to end.
      {"size change", src + " -frames:v 10 -pix_fmt yuv420p -c:v libx264 a.ts && "
                            "ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=25 -frames:v 10 "
                            "-pix_fmt yuv420p -c:v libx264 -output_ts_offset 0.4 b.ts && "
                            "cat a.ts b.ts > c.ts",
       decoded("c.ts"), "c.ts", false, "c.ts: frame 11 is 64x48; it is scaled to 48x32"},
      // An animation whose last frame is cut off.
      {"cut APNG", src + ",format=rgba -frames:v 5 -plays 0 -f apng whole.png && " + cut +
                       "whole.png c.png 90",
       decoded("c.png"), "c.png", false},
      // Garbage in the middle of an AVI.
      {"AVI with garbage", src + " -frames:v 50 -c:v mpeg4 whole.avi && python3 -c \"import "
                                 "random; d=bytearray(open('whole.avi','rb').read()); m=len(d)//2; "
                                 "r=random.Random(1); d[m:m+2000]=bytes(r.randrange(256) for _ in "
                                 "range(2000)); open('c.avi','wb').write(d)\"",
       decoded("c.avi"), "c.avi", false},
  };
  const fs::path root = FreshTestDir(CLI_TEST_WORK);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = root / c.name;
    fs::create_directories(dir / "shown");
    RunResult made = RunShell(c.make, dir);
    if (c.source == "photo.jpg") MarkTurnedClockwise(dir / c.source);
    if (c.name == std::string("one-frame animation")) {
      WriteOneFrameAnimation(dir / "default.png", dir / "frame.png", dir / c.source);
    }
    made = made.status == 0 ? RunShell(c.shown, dir) : made;
    ASSERT_EQ(made.status, 0) << made.output;
    RunResult run = RenderOver(dir, c.source, "from-source", {"--frames", "3"});
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string shown = c.still ? "shown/001.png" : "shown/%03d.png";
    ASSERT_EQ(RenderOver(dir, shown, "from-shown", {"--frames", "3"}).status, 0);
    if (!c.still) {
      // Without --frames: every frame a player shows, and no more.
      const RunResult all = RenderOver(dir, c.source, "all", {}, false);
      ASSERT_EQ(all.status, 0) << all.output;
      EXPECT_NE(all.output.find(c.note), std::string::npos) << all.output;
      ASSERT_EQ(RenderOver(dir, shown, "all-shown").status, 0);
      ASSERT_EQ(FilesIn(dir / "all"), FilesIn(dir / "all-shown"));
      for (const std::string& name : FilesIn(dir / "all")) {
        ASSERT_EQ(FileBytes(dir / "all" / name), FileBytes(dir / "all-shown" / name)) << name;
      }
    }
    const std::vector<std::string> names = FilesIn(dir / "from-source");
    ASSERT_EQ(names, FrameNames(1, 3));
    ASSERT_EQ(names, FilesIn(dir / "from-shown"));
    for (const std::string& name : names) {
      EXPECT_EQ(FileBytes(dir / "from-source" / name), FileBytes(dir / "from-shown" / name))
          << name;
    }
  }
  // The alpha really is there to keep.
  RgbaImage first = ReadPngFile((root / "VP9 with alpha/shown/001.png").string());
  EXPECT_LT(first.pixels[3], 128);
}

// More frames asked for than a damaged file decodes: the run stops there, says which frames
// stand, and leaves no video.
TEST(FootageKinds, MoreFramesThanDecodeStopTheRunAndSaySo) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const fs::path dir = FreshTestDir(CLI_TEST_WORK);
  ASSERT_EQ(RunShell(std::string("ffmpeg -v error -f lavfi -i ") + kPattern +
                         " -frames:v 100 -pix_fmt yuv420p -movflags +faststart whole.mp4 && "
                         "head -c $(( $(stat -c %s whole.mp4) * 6 / 10 )) whole.mp4 > c.mp4",
                     dir)
                .status,
            0);
  const RunResult all = RenderOver(dir, "c.mp4", "all");
  ASSERT_EQ(all.status, 0) << all.output;
  const std::string decoded = std::to_string(FilesIn(dir / "all").size());
  const RunResult more = RenderOver(dir, "c.mp4", "more", {"--frames", "90", "--video", "more.mp4"}, false);
  EXPECT_NE(more.status, 0);
  EXPECT_NE(more.output.find("of which " + decoded + " decode, fewer than --frames 90 asks for; the run "
                             "stopped after " + decoded + " frames: " + decoded + " frames stand in more"),
            std::string::npos)
      << more.output;
  EXPECT_EQ(FilesIn(dir / "more"), FilesIn(dir / "all"));
  EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"all", "c.mp4", "more", "whole.mp4"}));  // no part file
}

TEST(FootageKinds, TheVideoKeepsTheSourcesRateAndSound) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const fs::path dir = FreshTestDir(CLI_TEST_WORK);
  // clip.mp4: 6 frames at 29.97 with AAC; flac.mkv: FLAC sound; tone.mp4: 4 s at 25 fps whose
  // sound is a tone for 2 s, then silence.
  ASSERT_EQ(RunShell("ffmpeg -v error -f lavfi -i testsrc=size=32x24:rate=30000/1001 -f lavfi "
                     "-i sine=duration=1 -frames:v 6 -c:a aac -pix_fmt yuv420p clip.mp4 && "
                     "ffmpeg -v error -i clip.mp4 -c:v copy -c:a flac flac.mkv && "
                     "ffmpeg -v error -f lavfi -i testsrc=size=32x24:rate=25 -f lavfi -i "
                     "\"aevalsrc=sin(2*PI*440*t)*lt(t\\,2):d=4\" -t 4 -pix_fmt yuv420p "
                     "tone.mp4",
                     dir)
                .status,
            0);
  struct Case {
    std::string source;
    std::vector<std::string> args;
    std::string video, rate, audio;
  };
  const Case cases[] = {
      {"clip.mp4", {}, "same.mp4", "30000/1001", "aac"},  // the sound copied as it is
      {"clip.mp4", {"--fps", "29.97"}, "given.webm", "2997/100", "opus"},  // WebM takes no AAC
      {"clip.mp4", {"--fps", "10"}, "no-sound.gif", "10/1", ""},
      {"tone.mp4", {"--fps", "119.88"}, "fast.mp4", "2997/25", "aac"},  // not 120
      {"flac.mkv", {}, "flac.mp4", "30000/1001", "aac"},  // ffmpeg writes no FLAC into MP4
      {"tone.mp4", {"--fps", "50"}, "double.mp4", "50/1", "aac"},
      {"clip.mp4", {"--fps", "60"}, "thinned.gif", "50/1", ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render", "--source", c.source, "--video", c.video,
                                     "--quiet"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult run = RunProgramIn(dir, FYREL_EXE, args);
    ASSERT_EQ(run.status, 0) << c.video << ": " << run.output;
    EXPECT_EQ(Probed(dir, c.video, "v:0", "stream=r_frame_rate"), c.rate) << c.video;
    EXPECT_EQ(Probed(dir, c.video, "a:0", "stream=codec_name"), c.audio) << c.video;
  }
  // Played twice as fast, the sound goes with the picture: its tone, then its silence.
  RunResult loud = RunShell("ffmpeg -v info -ss 1.2 -i double.mp4 -af volumedetect -f null - 2>&1 "
                            "| grep -o 'max_volume: [-0-9.]*'",
                            dir);
  EXPECT_LT(std::stod(loud.output.substr(loud.output.find(':') + 1)), -60.0) << loud.output;
  // Every GIF delay 2/100 s: none under it, which players (and ffmpeg) stretch to 1/10 s.
  std::istringstream delays(Probed(dir, "thinned.gif", "v:0", "packet=duration"));
  for (std::string delay; std::getline(delays, delay);) EXPECT_EQ(delay, "2");
  // A camera's clip whose picture starts half a second after its sound: still in step.
  ASSERT_EQ(RunShell("ffmpeg -v error -f lavfi -i testsrc=size=32x24:rate=25 -f lavfi -i "
                     "sine=duration=2 -t 1.5 -vf setpts=PTS+0.5/TB -pix_fmt yuv420p late.mp4",
                     dir)
                .status,
            0);
  ASSERT_EQ(RunProgramIn(dir, FYREL_EXE, {"render", "--source", "late.mp4", "--video",
                                          "late-fire.mp4", "--quiet"})
                .status,
            0);
  EXPECT_EQ(Probed(dir, "late-fire.mp4", "v:0", "stream=start_time"),
            Probed(dir, "late.mp4", "v:0", "stream=start_time"));
  EXPECT_EQ(Probed(dir, "late-fire.mp4", "a:0", "stream=duration"),
            Probed(dir, "late.mp4", "a:0", "stream=duration"));
}

TEST(FootageKinds, PipesAreReadOnceOrRefusedAtOnce) {
  const fs::path dir = FreshTestDir(CLI_TEST_WORK);
  std::vector<uint8_t> rgba(16 * 12 * 4, 200);
  WritePngFile((dir / "still.png").string(), rgba.data(), 16, 12, 4);
  // A PNG through a named pipe: read as it comes, nothing of it used up by a check.
  RunResult run = RunShell("mkfifo pipe.png && { timeout 10 cat still.png > pipe.png 2>/dev/null & } && " +
                               ShellQuoted(FYREL_EXE) +
                               " render --source pipe.png --frames 2 --out piped --quiet && " +
                               ShellQuoted(FYREL_EXE) +
                               " render --source still.png --frames 2 --out filed --quiet",
                           dir);
  ASSERT_EQ(run.status, 0) << run.output;
  for (const std::string& name : FrameNames(1, 2)) {
    EXPECT_EQ(FileBytes(dir / "piped" / name), FileBytes(dir / "filed" / name)) << name;
  }
  // Video through a pipe would be looked into before it is read: refused before any wait.
  run = RunShell("mkfifo pipe.mp4 && timeout 5 " + ShellQuoted(FYREL_EXE) +
                     " render --source pipe.mp4 --out never",
                 dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            "fyrel: cannot read pipe.mp4: it is a pipe or a device; a video source must be a "
            "file (a PNG can come through a pipe when its name ends in .png)\n");
  EXPECT_FALSE(fs::exists(dir / "never"));
}

// A full disk is reported as one, for frames and for the video, and leaves no partial file.
TEST(FootageKinds, AFullDiskIsNamed) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const fs::path dir = FreshTestDir(CLI_TEST_WORK);
  fs::create_directories(dir / "small");
  if (::mount("tmpfs", (dir / "small").c_str(), "tmpfs", 0, "size=12k") != 0) {
    GTEST_SKIP() << "a small file system cannot be mounted here";
  }
  RunResult frames = RunProgramIn(dir, FYREL_EXE, {"render", "--frames", "30", "--out", "small/f"});
  RunResult video =
      RunProgramIn(dir, FYREL_EXE, {"render", "--frames", "100", "--video", "small/v.mp4"});
  const std::vector<std::string> left = FilesIn(dir / "small");
  const std::vector<std::string> framesLeft = FilesIn(dir / "small/f");
  ::umount((dir / "small").c_str());
  EXPECT_EQ(frames.status, 1);
  EXPECT_NE(frames.output.find(": No space left on device\n"), std::string::npos) << frames.output;
  EXPECT_EQ(video.status, 1);
  EXPECT_NE(video.output.find("No space left on device)\n"), std::string::npos) << video.output;
  EXPECT_EQ(left, std::vector<std::string>{"f"});
  EXPECT_EQ(framesLeft, FrameNames(1, static_cast<int>(framesLeft.size())));
}
