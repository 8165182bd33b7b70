// fyrel render: frames start .. start + N - 1 of one sequence, rendered through the effect's
// `main` by our own host, each written as an RGBA PNG.
#include <cstdio>
#include <vector>

#include "cli/cli_error.h"
#include "cli/commands.h"
#include "cli/default_source.h"
#include "cli/effect_session.h"
#include "cli/file_system.h"
#include "cli/frame_names.h"
#include "cli/output_target.h"
#include "cli/png_io.h"
#include "cli/progress_line.h"

namespace {

constexpr const char* kDefaultRenderDir = "fyrel-out";

// RGBA (straight alpha) to the host's pixels: alpha, red, green, blue.
std::vector<PF_Pixel> HostPixels(const RgbaImage& image) {
  std::vector<PF_Pixel> pixels(static_cast<size_t>(image.width) * image.height);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint8_t* rgba = &image.pixels[i * 4];
    pixels[i] = PF_Pixel{rgba[3], rgba[0], rgba[1], rgba[2]};
  }
  return pixels;
}

// The output world's rows (stride pixels apart) to RGBA rows of `width` pixels.
void OutputToRgba(const EffectHost& host, std::vector<uint8_t>* rgba) {
  const int32_t width = host.FrameWidth(), height = host.FrameHeight();
  const int32_t stride = host.OutputStride();
  const std::vector<PF_Pixel>& output = host.Output();
  rgba->resize(static_cast<size_t>(width) * height * 4);
  uint8_t* out = rgba->data();
  for (int32_t y = 0; y < height; ++y) {
    const PF_Pixel* row = &output[static_cast<size_t>(y) * stride];
    for (int32_t x = 0; x < width; ++x) {
      *out++ = row[x].red;
      *out++ = row[x].green;
      *out++ = row[x].blue;
      *out++ = row[x].alpha;
    }
  }
}

}  // namespace

int RunRenderCommand(const Invocation& invocation) {
  const std::string outDir = invocation.outDir.empty() ? kDefaultRenderDir : invocation.outDir;

  // Everything is checked before the first frame: source, video target, effect, directory.
  RgbaImage source = invocation.sourcePath.empty() ? DrawDefaultSource()
                                                   : ReadPngFile(invocation.sourcePath);
  CheckVideoTarget(invocation);
  std::unique_ptr<EffectHost> host =
      StartEffect(ChooseEffectEntry(invocation.pluginPath), invocation.params);
  PrepareOutputDirectories(outDir, invocation.videoPath);

  host->SetFrame(source.width, source.height);
  std::vector<PF_Pixel> input = HostPixels(source);
  host->SetInput(input.data(), source.width, source.height);

  const int32_t last = invocation.start + invocation.frames - 1;
  ProgressLine progress(invocation.frames, !invocation.quiet && StderrIsTerminal());
  std::vector<uint8_t> rgba;
  for (int32_t frame = invocation.start; frame <= last; ++frame) {
    PF_Err err = host->FrameSetup();
    if (err == PF_Err_NONE) err = host->Render(frame);
    if (err != PF_Err_NONE) {
      throw CliError("the effect failed to render frame " + std::to_string(frame) +
                     (err == PF_Err_OUT_OF_MEMORY ? ": out of memory" : "") + " (host error " +
                     std::to_string(err) + ")");
    }
    OutputToRgba(*host, &rgba);
    WritePngFile(JoinPath(outDir, FrameFileName(frame)), rgba.data(), source.width,
                 source.height, 4);
    progress.Update(frame - invocation.start + 1);
  }
  progress.Finish();
  host->Stop();

  if (!invocation.quiet) {
    std::printf("wrote %d frames to %s (%s to %s)\n", static_cast<int>(invocation.frames),
                outDir.c_str(), FrameFileName(invocation.start).c_str(),
                FrameFileName(last).c_str());
  }
  EncodeVideoIfAsked(invocation, outDir, invocation.start, true);
  return 0;
}
