// SPDX-License-Identifier: GPL-2.0-or-later
#include "minihost/effect_host.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "effect/fire_pixels.h"
#include "host/effect_commands.h"

static_assert(sizeof(PF_Pixel) == sizeof(FlamePixel), "the host's pixels are the engine's");

namespace {

// The host's callbacks get no context but the effect reference (and some not even that), so
// the host that is sending a command is remembered for their length, on the thread that sends.
thread_local EffectHost* sendingHost = nullptr;

}  // namespace

struct EffectHostCallbacks {
  static PF_Err PF_CALL AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
    EffectHost* host = reinterpret_cast<EffectHost*>(effect_ref);
    if (!host || !def || index != -1) return PF_Err_OUT_OF_MEMORY;
    host->params_.push_back(*def);
    PF_ParamDef& added = host->params_.back();
    added.name[PF_MAX_EFFECT_PARAM_NAME_LEN] = '\0';
    if (added.param_type == PF_Param_CHECKBOX && def->u.bd.u.nameptr) {
      host->labels_.emplace_back(def->u.bd.u.nameptr);  // the effect's label text is temporary
      added.u.bd.u.nameptr = host->labels_.back().c_str();
    }
    return PF_Err_NONE;
  }

  static int PF_CALL Sprintf(char* buffer, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer, PF_MAX_EFFECT_MSG_LEN + 1, format, args);
    va_end(args);
    return written;
  }

  static char* PF_CALL Strcpy(char* dest, const char* src) { return std::strcpy(dest, src); }

  static PF_Err PF_CALL GetPlatformData(PF_ProgPtr effect_ref, PF_PlatDataID which, void* data) {
    EffectHost* host = reinterpret_cast<EffectHost*>(effect_ref);
    if (!host || !data || which != PF_PlatData_MAIN_WND) return PF_Err_OUT_OF_MEMORY;
    *static_cast<void**>(data) = host->mainWindow_;
    return PF_Err_NONE;
  }

  static PF_Handle PF_CALL NewHandle(PF_HandleSize size) {
    void* memory = std::calloc(1, size ? static_cast<size_t>(size) : 1);
    if (!memory) return nullptr;
    auto* handle = new void*(memory);
    if (sendingHost) ++sendingHost->liveHandles_;
    return handle;
  }

  static void* PF_CALL LockHandle(PF_Handle handle) { return handle ? *handle : nullptr; }

  static void PF_CALL UnlockHandle(PF_Handle) {}

  static void PF_CALL DisposeHandle(PF_Handle handle) {
    if (!handle) return;
    std::free(*handle);
    delete handle;
    if (sendingHost) --sendingHost->liveHandles_;
  }
};

EffectHost::EffectHost(EffectInstance& instance) : EffectHost(PF_EffectEntry{nullptr}) {
  instance_ = &instance;
}

EffectHost::EffectHost(PF_EffectEntry entry) : entry_(entry) {
  utils_.ansi.sprintf = EffectHostCallbacks::Sprintf;
  utils_.ansi.strcpy = EffectHostCallbacks::Strcpy;
  utils_.get_platform_data = EffectHostCallbacks::GetPlatformData;
  utils_.host_new_handle = EffectHostCallbacks::NewHandle;
  utils_.host_lock_handle = EffectHostCallbacks::LockHandle;
  utils_.host_unlock_handle = EffectHostCallbacks::UnlockHandle;
  utils_.host_dispose_handle = EffectHostCallbacks::DisposeHandle;
  inData_.inter.add_param = EffectHostCallbacks::AddParam;
  inData_.utils = &utils_;
  inData_.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
  inData_.time_step = 1;
  inData_.time_scale = 30;
  params_.resize(1);  // position 0: the input layer, the host's own
  params_[0].param_type = PF_Param_LAYER;
}

EffectHost::~EffectHost() {
  if (sequence_) SequenceSetdown();
  if (sequence_) {  // the effect did not dispose of it: the host does
    EffectHostCallbacks::DisposeHandle(sequence_);
  }
}

PF_Err EffectHost::Start() {
  PF_Err err = GlobalSetup();
  if (err == PF_Err_NONE) err = ParamsSetup();
  if (err == PF_Err_NONE) err = SequenceSetup();
  return err;
}

PF_Err EffectHost::Stop() {
  PF_Err err = PF_Err_NONE;
  if (sequence_) err = SequenceSetdown();
  const PF_Err down = GlobalSetdown();
  return err != PF_Err_NONE ? err : down;
}

PF_Err EffectHost::About(std::string* text) {
  outData_.return_msg[0] = '\0';
  const PF_Err err = Dispatch(PF_Cmd_ABOUT, false);
  if (text) *text = outData_.return_msg;
  return err;
}

PF_Err EffectHost::GlobalSetup() { return Dispatch(PF_Cmd_GLOBAL_SETUP, false); }

PF_Err EffectHost::ParamsSetup() {
  params_.resize(1);
  labels_.clear();
  return Dispatch(PF_Cmd_PARAMS_SETUP, false);
}

PF_Err EffectHost::GlobalSetdown() { return Dispatch(PF_Cmd_GLOBAL_SETDOWN, false); }
PF_Err EffectHost::SequenceSetup() { return Dispatch(PF_Cmd_SEQUENCE_SETUP, false); }
PF_Err EffectHost::SequenceResetup() { return Dispatch(PF_Cmd_SEQUENCE_RESETUP, false); }
PF_Err EffectHost::SequenceFlatten() { return Dispatch(PF_Cmd_SEQUENCE_FLATTEN, false); }
PF_Err EffectHost::SequenceSetdown() { return Dispatch(PF_Cmd_SEQUENCE_SETDOWN, false); }
PF_Err EffectHost::Options() { return Dispatch(PF_Cmd_DO_DIALOG, true); }
PF_Err EffectHost::FrameSetup() { return Dispatch(PF_Cmd_FRAME_SETUP, true); }
PF_Err EffectHost::Send(PF_Cmd cmd) { return Dispatch(cmd, true); }

PF_Err EffectHost::Render(int32_t frame, bool clearOutput) {
  if (clearOutput) std::fill(output_.begin(), output_.end(), PF_Pixel{0, 0, 0, 0});
  inData_.current_time = frame * inData_.time_step;
  return Dispatch(PF_Cmd_RENDER, true);
}

int EffectHost::FindParam(const std::string& name) const {
  for (size_t i = 1; i < params_.size(); ++i) {
    if (name == params_[i].name) return static_cast<int>(i);
  }
  return -1;
}

bool EffectHost::SetValue(const std::string& name, int32_t value) {
  const int position = FindParam(name);
  if (position < 0) return false;
  PF_ParamDef& param = params_[position];
  switch (param.param_type) {
    case PF_Param_SLIDER: param.u.sd.value = value; break;
    case PF_Param_FIX_SLIDER: param.u.fd.value = value; break;
    case PF_Param_ANGLE: param.u.ad.value = value; break;
    case PF_Param_CHECKBOX: param.u.bd.value = value; break;
    case PF_Param_COLOR:
      param.u.cd.value.red = static_cast<uint8_t>(value >> 16);
      param.u.cd.value.green = static_cast<uint8_t>(value >> 8);
      param.u.cd.value.blue = static_cast<uint8_t>(value);
      break;
    default: return false;
  }
  return true;
}

bool EffectHost::SetColor(const std::string& name, uint8_t red, uint8_t green, uint8_t blue) {
  const int position = FindParam(name);
  if (position < 0 || params_[position].param_type != PF_Param_COLOR) return false;
  return SetValue(name, (red << 16) | (green << 8) | blue);
}

void EffectHost::SetFrame(int32_t width, int32_t height, int32_t outputStride) {
  // The new world is had before the size is recorded: a size that cannot be had leaves the
  // frame as it was.
  const int32_t stride = outputStride > 0 ? outputStride : width;
  std::vector<PF_Pixel> output(
      static_cast<size_t>(stride > 0 ? stride : 0) * static_cast<size_t>(height > 0 ? height : 0),
      PF_Pixel{0, 0, 0, 0});
  output_.swap(output);
  outputStride_ = stride;
  outputRows_ = height > 0 ? height : 0;
  inData_.width = width;
  inData_.height = height;
}

void EffectHost::SetInput(const PF_Pixel* pixels, int32_t width, int32_t height, int32_t stride) {
  const int32_t rowPixels = stride > 0 ? stride : width;
  input_.assign(pixels, pixels + static_cast<size_t>(rowPixels) * static_cast<size_t>(height));
  inputWidth_ = width;
  inputHeight_ = height;
  inputStride_ = rowPixels;
}

void EffectHost::SetInputRgba(const uint8_t* rgba, int32_t width, int32_t height) {
  PF_Pixel* pixels = InputPixels(width, height);
  if (rgba) {
    const ConstPixelView from = PackedView(rgba, width, height, PixelLayout::kRgba);
    for (int32_t y = 0; y < height; ++y) {
      PF_Pixel* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
      ReadSourceRow(from, y, reinterpret_cast<FlamePixel*>(row));
    }
  } else {
    std::fill(input_.begin(), input_.end(), PF_Pixel{0, 0, 0, 0});
  }
}

PF_Pixel* EffectHost::InputPixels(int32_t width, int32_t height) {
  // Had before the size is recorded; a smaller layer gives its memory back.
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (count != input_.size()) std::vector<PF_Pixel>(count).swap(input_);
  inputWidth_ = width;
  inputHeight_ = height;
  inputStride_ = width;
  return input_.data();
}

void EffectHost::OutputRgba(uint8_t* rgba) const {
  const int32_t width = inData_.width;
  for (int32_t y = 0; y < outputRows_; ++y) {
    const PF_Pixel* row =
        output_.data() + static_cast<size_t>(y) * static_cast<size_t>(outputStride_);
    RgbaFromHostPixels(reinterpret_cast<const FlamePixel*>(row), width,
                       rgba + static_cast<size_t>(y) * static_cast<size_t>(width) * 4);
  }
}

PF_ParamDef* const* EffectHost::ParamArray() {
  RefreshLayers();
  return paramPointers_.data();
}

void EffectHost::RefreshLayers() {
  PF_LayerDef& input = params_[0].u.ld;
  input.data = input_.empty() ? nullptr : input_.data();
  input.rowbytes = inputStride_ * 4;
  input.width = inputWidth_;
  input.height = inputHeight_;
  outputWorld_.data = output_.empty() ? nullptr : output_.data();
  outputWorld_.rowbytes = outputStride_ * 4;
  outputWorld_.width = inData_.width;
  outputWorld_.height = outputRows_;
  paramPointers_.clear();
  for (PF_ParamDef& param : params_) paramPointers_.push_back(&param);
}

PF_Err EffectHost::Dispatch(PF_Cmd cmd, bool withParams) {
  RefreshLayers();
  // On entry both records hold the sequence's handle; what the effect leaves in out_data is
  // what the host keeps.
  inData_.sequence_data = sequence_;
  outData_.sequence_data = sequence_;
  EffectHost* previous = sendingHost;
  sendingHost = this;
  PF_ParamDef** params = withParams ? paramPointers_.data() : nullptr;
  const PF_Err err = instance_
                         ? RunEffectCommand(*instance_, cmd, &inData_, &outData_, params,
                                            &outputWorld_)
                         : entry_(cmd, &inData_, &outData_, params, &outputWorld_, nullptr);
  sendingHost = previous;
  sequence_ = outData_.sequence_data;
  inData_.sequence_data = sequence_;  // what InData() hands to the effect's own functions
  return err;
}
