// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel render: frames start .. start + N - 1 of one sequence of the fire (or of a plug-in's
// effect, --plugin) from a still, a sequence or a video source, each written as an RGBA PNG,
// fed to ffmpeg for a video, or both.
#include <cstdio>
#include <vector>

#include "cli/commands/commands.h"
#include "cli/commands/effect_session.h"
#include "cli/media/read_ahead.h"
#include "cli/media/source_frames.h"
#include "cli/media/video_encoder.h"
#include "cli/media/video_probe.h"
#include "cli/output/frame_names.h"
#include "cli/output/frame_output.h"
#include "cli/output/output_target.h"
#include "cli/output/progress_line.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"

namespace {

constexpr const char* kDefaultRenderDir = "fyrel-out";

// --frames, or the length of a video or sequence source when it is not given.
int32_t FrameCount(const Invocation& invocation, const SourceFrames& source) {
  if (source.Length() == 0) return invocation.frames;
  if (!invocation.framesGiven) return source.Length();
  if (invocation.frames > source.Length()) {
    throw UsageError("--frames " + std::to_string(invocation.frames) + " asks for more than the " +
                     std::to_string(source.Length()) + " frames of " + invocation.sourcePath);
  }
  return invocation.frames;
}

// Says on standard error what the video does to time that the user may not expect.
void NoteRetiming(const Invocation& invocation, const SourceFrames& source,
                  const FrameOutputPlan& plan) {
  if (invocation.videoPath.empty()) return;
  const bool gif = VideoFormatOf(invocation.videoPath) == VideoFormat::kGif;
  if (!plan.sound.path.empty() && !gif && !(plan.fps == source.Rate())) {
    std::fprintf(stderr,
                 "fyrel: note: --fps %s plays %s (%s fps) %.6gx as fast; its sound is played as "
                 "fast, its pitch kept\n",
                 FrameRateText(plan.fps).c_str(), invocation.sourcePath.c_str(),
                 FrameRateText(source.Rate()).c_str(), plan.sound.speed);
  }
  if (gif && ThinsGifFrames(plan.fps)) {
    std::fprintf(stderr,
                 "fyrel: note: a GIF plays at most %s frames a second: %s keeps its length at %s "
                 "fps with the frames between left out\n",
                 FrameRateText(kGifMostRate).c_str(), invocation.videoPath.c_str(),
                 FrameRateText(kGifMostRate).c_str());
  }
}

}  // namespace

int RunRenderCommand(const Invocation& invocation) {
  // --video alone writes no frame files; --out, or no --video, does.
  const bool writeFrames = !invocation.outDir.empty() || invocation.videoPath.empty();
  const std::string outDir =
      !writeFrames ? "" : invocation.outDir.empty() ? kDefaultRenderDir : invocation.outDir;

  // Everything is checked before the first frame: source, video target, effect, directories.
  // ffmpeg is asked whether it runs while the source opens. A moving source is read a frame
  // ahead while the fire renders.
  std::unique_ptr<FfmpegCheck> ffmpegCheck;
  if (!invocation.videoPath.empty()) ffmpegCheck = std::make_unique<FfmpegCheck>();
  std::unique_ptr<SourceFrames> source = ReadAhead(OpenSource(invocation.sourcePath));
  const int32_t frames = FrameCount(invocation, *source);
  CheckVideoTarget(invocation.videoPath, ffmpegCheck.get());
  OutputPlan outputs;
  outputs.framesDir = outDir;
  outputs.firstFrame = invocation.start;
  outputs.lastFrame = static_cast<int32_t>(invocation.start + frames - 1);
  outputs.videoPath = invocation.videoPath;
  outputs.sourceFiles = source->Files();
  CheckOutputClashes(outputs);
  std::unique_ptr<EffectSession> effect =
      StartEffect(invocation.pluginPath, invocation.params, invocation.start);
  PrepareOutputDirectories(outDir, invocation.videoPath);

  const int32_t width = source->Width(), height = source->Height();
  FrameOutputPlan plan;
  plan.framesDir = outDir;
  plan.videoPath = invocation.videoPath;
  plan.width = width;
  plan.height = height;
  // A video without alpha and no frame files: the frames are made as it shows them, over black,
  // unless they are converted here, which weighs them by alpha as it reads them (RGBA is both
  // quicker to colour into and to convert from than RGB).
  const bool weighted = !writeFrames &&
                        VideoFormatOf(invocation.videoPath) == VideoFormat::kMp4 &&
                        !ConvertsToYuvHere(invocation.videoPath);
  plan.channels = weighted ? 3 : 4;
  // A video source's own rate and sound, unless --fps says otherwise.
  plan.fps = invocation.fpsGiven || !source->HasRate() ? invocation.fps : source->Rate();
  if (source->HasRate() && !invocation.videoPath.empty()) {
    plan.sound = source->Sound();
    plan.frames = frames;
    // Each source frame stays one frame, so frames given another rate play faster or slower
    // than in their file: their sound goes with them, all of it, in step.
    plan.sound.speed = static_cast<double>(plan.fps.num) * source->Rate().den /
                       (static_cast<double>(plan.fps.den) * source->Rate().num);
  }
  if (!invocation.quiet) NoteRetiming(invocation, *source, plan);
  plan.threads = invocation.threads > 0 ? invocation.threads : DefaultEncodingThreads();
  FrameOutput output(plan);

  const int32_t last = invocation.start + frames - 1;
  const bool moving = source->Length() > 0;
  const size_t pixels = static_cast<size_t>(width) * height;
  bool keyed = false;
  for (const ParamSetting& setting : invocation.params) keyed = keyed || !setting.keys.empty();
  ProgressLine progress(frames, !invocation.quiet && StderrIsTerminal());
  const auto sayNotes = [&] {
    for (const std::string& note : source->TakeNotes()) {
      if (!invocation.quiet) std::fprintf(stderr, "fyrel: note: %s\n", note.c_str());
    }
  };
  // A fault found mid-run leaves what an interrupted run leaves: the frames before it, each
  // whole, and no video; the message says so.
  int32_t made = 0;
  const auto stopRun = [&](const std::string& why) {
    sayNotes();
    output.FinishFramesOnly();
    progress.Finish();
    std::string standing = "nothing was written";
    if (writeFrames && made > 0) {
      standing = std::to_string(made) + (made == 1 ? " frame stands" : " frames stand") + " in " +
                 outDir + " (" + FrameFileName(invocation.start) + " to " +
                 FrameFileName(invocation.start + made - 1) + ")" +
                 (invocation.videoPath.empty() ? "" : ", and no video was written");
    } else if (!invocation.videoPath.empty()) {
      standing = "no video was written";
    }
    throw CliError(why + "; the run stopped after " + std::to_string(made) +
                   (made == 1 ? " frame: " : " frames: ") + standing);
  };
  // The source frame as it arrives from its file or decoder, which the fire reads where it lies.
  std::vector<uint8_t> sourceRgba;
  for (int32_t frame = invocation.start; frame <= last; ++frame) {
    // Each rendered frame gets the source's next frame; a still is handed over once.
    if (moving || frame == invocation.start) {
      bool more = false;
      try {
        more = source->Next(&sourceRgba);
      } catch (const CliError& error) {
        stopRun(error.what());
      }
      if (!more) {
        // A damaged video ends at its last frame that decodes.
        const std::string claimed = invocation.sourcePath + " claims " +
                                    std::to_string(source->Length()) + " frames, of which " +
                                    std::to_string(made) + " decode";
        if (invocation.framesGiven) {
          stopRun(claimed + ", fewer than --frames " + std::to_string(frames) + " asks for");
        }
        sayNotes();
        if (!invocation.quiet) {
          std::fprintf(stderr, "fyrel: note: %s: the run ends at its last frame, %d\n",
                       claimed.c_str(), static_cast<int>(frame - 1));
        }
        break;
      }
      sayNotes();
    }
    // Values given as keys take their value at this frame before the effect sees it.
    if (keyed) effect->Apply(invocation.params, frame, true);
    // The fire goes straight into the buffer that goes out, over its source where asked.
    std::vector<uint8_t> samples = output.TakeBuffer();
    samples.resize(pixels * plan.channels);
    const PixelView into = PackedView(samples.data(), width, height,
                                      weighted ? PixelLayout::kRgbWeighted : PixelLayout::kRgba);
    const std::string failed =
        effect->Render(frame, sourceRgba.data(), into, invocation.compositeOver);
    if (!failed.empty()) stopRun(failed);
    output.Put(frame, std::move(samples));
    ++made;
    progress.Update(made);
  }
  output.Finish();
  progress.Finish();
  effect.reset();

  if (!invocation.quiet) {
    if (writeFrames) {
      std::printf("wrote %d frames to %s (%s to %s)\n", static_cast<int>(made), outDir.c_str(),
                  FrameFileName(invocation.start).c_str(),
                  FrameFileName(invocation.start + made - 1).c_str());
    }
    if (!invocation.videoPath.empty()) std::printf("wrote %s\n", invocation.videoPath.c_str());
  }
  return 0;
}
