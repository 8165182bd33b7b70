// SPDX-License-Identifier: GPL-2.0-or-later
// Whole host sessions through the effect's commands, each on a fresh instance of the effect, so
// that every input is a run of its own: any selector from 0 to 12 in any order, with
// the frame size, the output world's stride, the input layer, the parameter values and the time
// changed between commands as a host may change them. Every record the host of our own passes
// is well formed (each buffer as large as its size and stride say); the effect must cope with
// the rest. Besides the sanitizers' checks, a render must leave the output world's padding
// beyond the frame width and its row 0 untouched.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "flame/flame_state.h"
#include "host/effect_commands.h"
#include "minihost/effect_host.h"

namespace {

constexpr int32_t kMaxSide = 40;  // small frames: many commands per second
constexpr int kMaxCommands = 48;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<PF_Pixel> RandomPixels(FuzzedDataProvider& in, size_t count) {
  std::vector<PF_Pixel> pixels(count);
  // A few bytes repeated: sources with large even areas, as real layers have, and cheap input.
  const std::vector<uint8_t> pattern = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(1, 64));
  if (pattern.empty()) return pixels;
  auto* bytes = reinterpret_cast<uint8_t*>(pixels.data());
  for (size_t i = 0; i < count * sizeof(PF_Pixel); ++i) bytes[i] = pattern[i % pattern.size()];
  return pixels;
}

void NewFrame(FuzzedDataProvider& in, EffectHost& host) {
  const int32_t width = in.ConsumeIntegralInRange<int32_t>(0, kMaxSide);
  const int32_t height = in.ConsumeIntegralInRange<int32_t>(0, kMaxSide);
  const int32_t padding = in.ConsumeIntegralInRange<int32_t>(0, 9);
  host.SetFrame(width, height, padding ? width + padding : 0);
}

void NewInput(FuzzedDataProvider& in, EffectHost& host) {
  // Mostly the frame's size, as a host gives it; sometimes a layer of another size.
  int32_t width = host.FrameWidth(), height = host.FrameHeight();
  if (in.ConsumeBool()) {
    width = in.ConsumeIntegralInRange<int32_t>(0, kMaxSide);
    height = in.ConsumeIntegralInRange<int32_t>(0, kMaxSide);
  }
  const int32_t stride = width + in.ConsumeIntegralInRange<int32_t>(0, 9);
  const std::vector<PF_Pixel> pixels =
      RandomPixels(in, static_cast<size_t>(stride) * static_cast<size_t>(height));
  host.SetInput(pixels.data(), width, height, stride);
}

// One parameter set to a value its definition allows.
void NewValue(FuzzedDataProvider& in, EffectHost& host) {
  if (host.ParamCount() < 2) return;
  PF_ParamDef& param = host.Param(in.ConsumeIntegralInRange(1, host.ParamCount() - 1));
  switch (param.param_type) {
    case PF_Param_SLIDER:
      param.u.sd.value = in.ConsumeIntegralInRange(param.u.sd.valid_min, param.u.sd.valid_max);
      break;
    case PF_Param_FIX_SLIDER:
      param.u.fd.value = in.ConsumeIntegralInRange(param.u.fd.valid_min, param.u.fd.valid_max);
      break;
    case PF_Param_ANGLE: param.u.ad.value = in.ConsumeIntegral<int32_t>(); break;
    case PF_Param_CHECKBOX: param.u.bd.value = in.ConsumeBool(); break;
    case PF_Param_COLOR:
      param.u.cd.value.red = in.ConsumeIntegral<uint8_t>();
      param.u.cd.value.green = in.ConsumeIntegral<uint8_t>();
      param.u.cd.value.blue = in.ConsumeIntegral<uint8_t>();
      break;
    default: break;
  }
}

void RenderAndCheck(FuzzedDataProvider& in, EffectHost& host) {
  host.Render(in.ConsumeIntegralInRange<int32_t>(-100, 100000), true);
  const std::vector<PF_Pixel>& output = host.Output();
  const int32_t stride = host.OutputStride(), width = host.FrameWidth();
  for (size_t i = 0; i < output.size(); ++i) {
    const int32_t x = static_cast<int32_t>(i % static_cast<size_t>(stride));
    if (x < width && i >= static_cast<size_t>(stride)) continue;  // the frame below row 0
    const PF_Pixel& p = output[i];
    Check(p.alpha == 0 && p.red == 0 && p.green == 0 && p.blue == 0);
  }
}

void SendCommand(FuzzedDataProvider& in, EffectHost& host, PF_Cmd cmd) {
  switch (cmd) {
    case PF_Cmd_ABOUT: {
      std::string text;
      host.About(&text);
      break;
    }
    case PF_Cmd_GLOBAL_SETUP: host.GlobalSetup(); break;
    case PF_Cmd_GLOBAL_SETDOWN: host.GlobalSetdown(); break;
    case PF_Cmd_PARAMS_SETUP: host.ParamsSetup(); break;
    case PF_Cmd_SEQUENCE_SETUP:
      // A host sets up a sequence only when it has none; a new one replaces the old after its
      // setdown.
      if (host.SequenceHandle()) host.SequenceSetdown();
      host.SequenceSetup();
      break;
    case PF_Cmd_SEQUENCE_RESETUP: host.SequenceResetup(); break;
    case PF_Cmd_SEQUENCE_FLATTEN: host.SequenceFlatten(); break;
    case PF_Cmd_SEQUENCE_SETDOWN: host.SequenceSetdown(); break;
    case PF_Cmd_DO_DIALOG: host.Options(); break;
    case PF_Cmd_FRAME_SETUP: host.FrameSetup(); break;
    case PF_Cmd_RENDER: RenderAndCheck(in, host); break;
    default: host.Send(cmd); break;  // 2 and 12: selectors the effect does not handle
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  EffectInstance instance;
  instance.flame.engine = in.ConsumeBool() ? FlameEngine::kPlain : FlameEngine::kFast;
  EffectHost host(instance);
  host.SetTimeStep(in.ConsumeIntegralInRange<int32_t>(0, 3));
  NewFrame(in, host);
  // Every host starts with global and parameter setup: the parameter array exists from then on.
  host.GlobalSetup();
  host.ParamsSetup();
  for (int n = 0; n < kMaxCommands && in.remaining_bytes() > 0; ++n) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
      case 0: NewFrame(in, host); break;
      case 1: NewInput(in, host); break;
      case 2: NewValue(in, host); break;
      case 3: host.SetTimeStep(in.ConsumeIntegralInRange<int32_t>(0, 3)); break;
      default: break;  // most often the command alone
    }
    SendCommand(in, host, in.ConsumeIntegralInRange<PF_Cmd>(0, 12));
  }
  host.Stop();
  Check(host.LiveHandles() == 0);
  return 0;
}
