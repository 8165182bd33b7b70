// fyrel preview: the Options viewer's live preview, one preview step per frame, written as
// opaque RGB PNGs. The viewer's values come from the effect's parameters as its launcher
// copies them.
#include <cstdio>
#include <vector>

#include "cli/cli_error.h"
#include "cli/commands.h"
#include "cli/effect_session.h"
#include "cli/file_system.h"
#include "cli/frame_names.h"
#include "cli/output_target.h"
#include "cli/png_io.h"
#include "cli/preview_image.h"
#include "cli/preview_size.h"
#include "cli/progress_line.h"
#include "host/param_positions.h"

namespace {

constexpr const char* kDefaultPreviewDir = "fyrel-preview";

}  // namespace

int RunPreviewCommand(const Invocation& invocation) {
  const std::string outDir = invocation.outDir.empty() ? kDefaultPreviewDir : invocation.outDir;
  PreviewSize size = DefaultPreviewSize();
  if (invocation.sizeGiven) size = PreviewSize{invocation.previewWidth, invocation.previewHeight};

  CheckVideoTarget(invocation);
  std::unique_ptr<EffectHost> host =
      StartEffect(ChooseEffectEntry(invocation.pluginPath), invocation.params);
  if (host->ParamCount() < kParamCount) {
    throw CliError("the effect declares " + std::to_string(host->ParamCount() - 1) +
                   " parameters; the viewer reads them by position up to " +
                   std::to_string(kParamCount - 1));
  }
  PreviewValues values = PreviewValuesFromParams(*host);
  host->Stop();
  PrepareOutputDirectories(outDir, invocation.videoPath);

  PreviewFlame flame(size.width, size.height, values);
  ProgressLine progress(invocation.frames, !invocation.quiet && StderrIsTerminal());
  std::vector<uint8_t> rgb;
  for (int32_t frame = 1; frame <= invocation.frames; ++frame) {
    flame.Step();
    flame.Draw(&rgb);
    WritePngFile(JoinPath(outDir, FrameFileName(frame)), rgb.data(), size.width, size.height,
                 3);
    progress.Update(frame);
  }
  progress.Finish();

  if (!invocation.quiet) {
    std::printf("wrote %d preview frames of %dx%d to %s (%s to %s)\n",
                static_cast<int>(invocation.frames), static_cast<int>(size.width),
                static_cast<int>(size.height), outDir.c_str(), FrameFileName(1).c_str(),
                FrameFileName(invocation.frames).c_str());
  }
  EncodeVideoIfAsked(invocation, outDir, 1, false);
  return 0;
}
