// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel preview: the Options viewer's live preview, one preview step per frame, written as
// opaque RGB PNGs. The viewer's values come from the effect's parameters as its launcher
// copies them.
#include <cstdio>
#include <vector>

#include "cli/commands/commands.h"
#include "cli/commands/effect_session.h"
#include "pictures/preview_image.h"
#include "pictures/preview_size.h"
#include "cli/output/frame_names.h"
#include "cli/output/frame_output.h"
#include "cli/output/output_target.h"
#include "cli/output/progress_line.h"
#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"

namespace {

constexpr const char* kDefaultPreviewDir = "fyrel-preview";

}  // namespace

int RunPreviewCommand(const Invocation& invocation) {
  // --video alone writes no frame files; --out, or no --video, does.
  const bool writeFrames = !invocation.outDir.empty() || invocation.videoPath.empty();
  const std::string outDir =
      !writeFrames ? "" : invocation.outDir.empty() ? kDefaultPreviewDir : invocation.outDir;
  PreviewSize size = DefaultPreviewSize();
  if (invocation.sizeGiven) size = PreviewSize{invocation.previewWidth, invocation.previewHeight};

  CheckVideoTarget(invocation.videoPath);
  OutputPlan outputs;
  outputs.framesDir = outDir;
  outputs.lastFrame = invocation.frames;
  outputs.videoPath = invocation.videoPath;
  CheckOutputClashes(outputs);
  const ViewerValues values =
      ViewerValuesOf(StartEffect(invocation.pluginPath, invocation.params)->Values());
  PrepareOutputDirectories(outDir, invocation.videoPath);

  FrameOutputPlan plan;
  plan.framesDir = outDir;
  plan.videoPath = invocation.videoPath;
  plan.width = size.width;
  plan.height = size.height;
  plan.channels = 3;
  plan.fps = invocation.fps;
  plan.threads = invocation.threads > 0 ? invocation.threads : DefaultEncodingThreads();
  FrameOutput output(plan);

  PreviewFlame flame(size.width, size.height, values);
  ProgressLine progress(invocation.frames, !invocation.quiet && StderrIsTerminal());
  for (int32_t frame = 1; frame <= invocation.frames; ++frame) {
    flame.Step();
    std::vector<uint8_t> rgb = output.TakeBuffer();
    flame.Draw(&rgb);
    output.Put(frame, std::move(rgb));
    progress.Update(frame);
  }
  output.Finish();
  progress.Finish();

  if (invocation.quiet) return 0;
  if (writeFrames) {
    std::printf("wrote %d preview frames of %dx%d to %s (%s to %s)\n",
                static_cast<int>(invocation.frames), static_cast<int>(size.width),
                static_cast<int>(size.height), outDir.c_str(), FrameFileName(1).c_str(),
                FrameFileName(invocation.frames).c_str());
  }
  if (!invocation.videoPath.empty()) std::printf("wrote %s\n", invocation.videoPath.c_str());
  return 0;
}
