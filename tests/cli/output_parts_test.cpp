// SPDX-License-Identifier: GPL-2.0-or-later
// Where frames and videos go: names, directories, the rename into place, ffmpeg's arguments
// per format and the progress text.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cli/media/video_encoder.h"
#if defined(FYREL_HAVE_LIBAV)
#include "cli/media/footage_module.h"
#include "cli/media/frame_feed.h"
#endif
#include "cli/output/frame_names.h"
#include "cli/output/output_target.h"
#include "cli/output/progress_line.h"
#include "cli/platform/child_process.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"
#include "effect/fire_over.h"
#include "tests/cli/process_runner.h"

namespace fs = std::filesystem;

namespace {

bool Has(const std::vector<std::string>& args, const std::string& arg) {
  return std::find(args.begin(), args.end(), arg) != args.end();
}

std::string After(const std::vector<std::string>& args, const std::string& arg) {
  auto it = std::find(args.begin(), args.end(), arg);
  return (it == args.end() || it + 1 == args.end()) ? "" : *(it + 1);
}

}  // namespace

TEST(FrameNames, AtLeastFourDigits) {
  EXPECT_EQ(FrameFileName(0), "frame_0000.png");
  EXPECT_EQ(FrameFileName(1), "frame_0001.png");
  EXPECT_EQ(FrameFileName(9999), "frame_9999.png");
  EXPECT_EQ(FrameFileName(12345), "frame_12345.png");
}

TEST(Paths, PartsOfNames) {
  EXPECT_EQ(ParentDirectory("a/b/c.gif"), "a/b");
  EXPECT_EQ(ParentDirectory("c.gif"), ".");
  EXPECT_EQ(ParentDirectory("/c.gif"), "/");
  EXPECT_EQ(ParentDirectory("a/b/"), "a");
  EXPECT_EQ(LowercaseExtension("dir.v1/Fire.WebM"), "webm");
  EXPECT_EQ(LowercaseExtension("dir.v1/fire"), "");
  EXPECT_EQ(JoinPath("out", "f.png"), "out/f.png");
  EXPECT_EQ(JoinPath("out/", "f.png"), "out/f.png");
}

TEST(Directories, MissingOnesAreMadeAndFailedChecksLeaveNothing) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  PrepareOutputDirectories((dir / "a" / "b" / "c").string(), "");
  EXPECT_TRUE(fs::is_directory(dir / "a" / "b" / "c"));
  EXPECT_TRUE(FilesIn(dir / "a" / "b" / "c").empty());  // the probe file is gone

  // A file in the way: an error naming it, and the directories made on the way removed.
  std::FILE* f = std::fopen((dir / "file").string().c_str(), "wb");
  std::fclose(f);
  try {
    PrepareOutputDirectories((dir / "file" / "x").string(), "");
    ADD_FAILURE() << "no error";
  } catch (const CliError& error) {
    EXPECT_NE(std::string(error.what()).find((dir / "file").string()), std::string::npos);
  }

  // The video may go into the frame directory or a new one beside it; when its place is
  // refused, the frame directory made a moment before goes too.
  PrepareOutputDirectories((dir / "frames").string(), (dir / "frames" / "fire.mp4").string());
  PrepareOutputDirectories((dir / "f2").string(), (dir / "videos" / "fire.mp4").string());
  EXPECT_TRUE(fs::is_directory(dir / "videos"));
  EXPECT_THROW(PrepareOutputDirectories((dir / "f3").string(), (dir / "file" / "v.gif").string()),
               CliError);
  EXPECT_FALSE(fs::exists(dir / "f3"));

  if (::geteuid() != 0) {  // root writes anywhere
    fs::create_directories(dir / "locked");
    ::chmod((dir / "locked").string().c_str(), 0500);
    EXPECT_THROW(PrepareOutputDirectories((dir / "locked" / "new" / "deeper").string(), ""),
                 CliError);
    EXPECT_TRUE(FilesIn(dir / "locked").empty());
    ::chmod((dir / "locked").string().c_str(), 0700);
  }
}

TEST(Directories, RenameOverReplacesAnExistingFile) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  for (const char* name : {"new", "old"}) {
    std::FILE* f = std::fopen((dir / name).string().c_str(), "wb");
    std::fputs(name, f);
    std::fclose(f);
  }
  std::string error;
  ASSERT_TRUE(RenameOver((dir / "new").string(), (dir / "old").string(), &error)) << error;
  EXPECT_EQ(FileBytes(dir / "old"), (std::vector<uint8_t>{'n', 'e', 'w'}));
  EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"old"});
  EXPECT_FALSE(RenameOver((dir / "gone").string(), (dir / "old").string(), &error));
  EXPECT_FALSE(error.empty());
}

TEST(Video, FormatFollowsTheExtension) {
  EXPECT_EQ(VideoFormatOf("a.mp4"), VideoFormat::kMp4);
  EXPECT_EQ(VideoFormatOf("a.WEBM"), VideoFormat::kWebm);
  EXPECT_EQ(VideoFormatOf("dir/a.gif"), VideoFormat::kGif);
  for (const char* bad : {"a.avi", "a", "gif", "a.gif/x"}) {
    EXPECT_THROW(VideoFormatOf(bad), CliError) << bad;
  }
}

TEST(Video, ArgumentsReadRawFramesAndKeepAlphaWhereTheFormatCan) {
  VideoJob job;
  job.width = 41;
  job.height = 31;
  job.fps = 30;
  job.videoPath = "fire.webm";
  std::vector<std::string> webm = FfmpegArguments(job, "tmp.part");
  EXPECT_EQ(webm.front(), "ffmpeg");
  EXPECT_EQ(webm.back(), "tmp.part");
  // Raw frames of exactly the rendered size and layout on standard input.
  EXPECT_EQ(After(webm, "-i"), "pipe:0");
  EXPECT_EQ(After(webm, "-pix_fmt"), "rgba");
  EXPECT_EQ(After(webm, "-video_size"), "41x31");
  EXPECT_EQ(After(webm, "-framerate"), "30");
  EXPECT_EQ(After(webm, "-c:v"), "libvpx-vp9");
  EXPECT_EQ(After(webm, "-vf"), "format=yuva420p");
  EXPECT_EQ(webm[webm.size() - 2], "webm");  // the temporary name has no telling extension
  EXPECT_TRUE(Has(webm, "-nostdin"));

  job.videoPath = "fire.gif";
  std::vector<std::string> gif = FfmpegArguments(job, "tmp.part");
  EXPECT_NE(After(gif, "-filter_complex").find("reserve_transparent=1"), std::string::npos);
  EXPECT_EQ(gif[gif.size() - 2], "gif");

  job.videoPath = "fire.mp4";
  std::vector<std::string> mp4 = FfmpegArguments(job, "tmp.part");
  // MP4 has no alpha: its frames come weighted by alpha, as RGB, or converted here to the
  // 4:2:0 YUV of even sides that the encoder takes (black where no fire is).
#if defined(FYREL_HAVE_LIBAV)
  EXPECT_EQ(After(mp4, "-pix_fmt"), "yuv420p");
  EXPECT_EQ(After(mp4, "-video_size"), "42x32");
  std::vector<uint8_t> clear(3 * 3 * 4, 255);
  clear[3] = 0;
  const std::unique_ptr<YuvFrames> yuv = MakeYuvFrames(3, 3, 4);
  const std::vector<uint8_t> planes = yuv->Convert(clear.data());
  ASSERT_EQ(planes.size(), 4u * 4 + 2 * 2 * 2);
  EXPECT_EQ((std::vector<uint8_t>{planes[0], planes[1], planes[3], planes[5]}),
            (std::vector<uint8_t>{16, 235, 16, 235}));  // clear, white, pad, white
#else
  EXPECT_EQ(After(mp4, "-pix_fmt"), "rgb24");
  EXPECT_NE(After(mp4, "-vf").find("format=yuv420p"), std::string::npos);
#endif
  EXPECT_EQ(After(mp4, "-enc_time_base:v"), "1/30");
  std::vector<uint8_t> rgba = {200, 100, 50, 128, 255, 255, 255, 0, 9, 8, 7, 255};
  std::vector<uint8_t> rgb(9);
  RgbOverBlack(rgba.data(), 3, rgb.data());
  // 200 * 128 / 255 = 100.4, 100 * 128 / 255 = 50.2, 50 * 128 / 255 = 25.1
  EXPECT_EQ(rgb, (std::vector<uint8_t>{100, 50, 25, 0, 0, 0, 9, 8, 7}));
  EXPECT_EQ(After(mp4, "-c:v"), "libx264");

  // Opaque preview frames have no alpha to keep or to weight by.
  job.framesHaveAlpha = false;
#if !defined(FYREL_HAVE_LIBAV)
  EXPECT_EQ(After(FfmpegArguments(job, "t"), "-pix_fmt"), "rgb24");
#endif
  EXPECT_EQ(After(FfmpegArguments(job, "t"), "-vf").find("premultiply"), std::string::npos);
  job.videoPath = "fire.webm";
  EXPECT_EQ(After(FfmpegArguments(job, "t"), "-vf"), "format=yuv420p");
}

#if defined(FYREL_HAVE_LIBAV)
// Frames queued for a reader that starts late reach it whole and in order; a reader that stops
// fails the feed, and one that never reads does not hold it when it is dropped.
TEST(Video, TheFeedKeepsFramesInOrderAndLetsGoOfAReaderThatStops) {
  const fs::path dir = FreshTestDir(CLI_TEST_WORK);
  const std::string fed = (dir / "fed").string();
  const auto reader = [](const std::string& script) {
    return std::make_unique<ChildProcess>(std::vector<std::string>{"sh", "-c", script},
                                          ChildProcess::Pipe::kToInput,
                                          ChildProcess::Errors::kHidden);
  };
  std::unique_ptr<ChildProcess> late = reader("sleep 0.2; cat > " + ShellQuoted(fed));
  FrameFeed feed(late.get(), 2);
  std::string sent;
  for (int i = 0; i < 6; ++i) {
    std::vector<uint8_t> frame = feed.TakeBuffer();
    frame.assign(300000 + i, static_cast<uint8_t>('a' + i));
    sent.append(frame.begin(), frame.end());
    ASSERT_TRUE(feed.Put(std::move(frame)));
  }
  ASSERT_TRUE(feed.Finish());
  EXPECT_EQ(late->Wait(), 0);
  std::ifstream in(fed, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), sent);

  std::unique_ptr<ChildProcess> stopping = reader("head -c 1000 >/dev/null");
  FrameFeed failing(stopping.get(), 2);
  bool put = true;
  for (int i = 0; i < 16 && put; ++i) put = failing.Put(std::vector<uint8_t>(1 << 20));
  EXPECT_FALSE(put && failing.Finish());

  std::unique_ptr<ChildProcess> asleep = reader("sleep 30");
  {
    FrameFeed dropped(asleep.get(), 4);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(dropped.Put(std::vector<uint8_t>(1 << 21)));
  }
  EXPECT_EQ(asleep->Wait(), -1);  // ended by the feed, not by its own end
}
#endif

TEST(Progress, TellsFrameRateAndTimeLeft) {
  EXPECT_EQ(ProgressLine::Text(0, 100, 0.0), "frame 0 of 100");
  EXPECT_EQ(ProgressLine::Text(25, 100, 1.0), "frame 25 of 100, 25.0 fps, 0:03 left");
  EXPECT_EQ(ProgressLine::Text(10, 1000, 2.0), "frame 10 of 1000, 5.0 fps, 3:18 left");
  EXPECT_EQ(ProgressLine::Text(100, 100, 4.0), "frame 100 of 100, 25.0 fps, 0:00 left");
}
