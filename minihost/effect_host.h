// SPDX-License-Identifier: GPL-2.0-or-later
// A host of our own: plays the compositing host's part for an effect entry, so that the tests,
// `fyrel render --plugin` and the emulator drive the effect through its `main` exactly as a
// host would (the front ends drive the Fire, effect/fire.h). It owns
// the handles, the added parameters, the input layer and the output world.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "host/host_interface.h"

struct EffectInstance;

class EffectHost {
 public:
  // Sends the commands to an effect's entry (a plug-in's exported `main`, or the effect's own
  // EffectMain with its one instance for the whole process).
  explicit EffectHost(PF_EffectEntry entry);
  // Sends the commands to the effect linked in, run on `instance`, which must outlive the host:
  // a fire of its own. Hosts of different instances may run on different threads at once.
  explicit EffectHost(EffectInstance& instance);
  ~EffectHost();  // sets down a live sequence; sends no global setdown unless Stop() ran
  EffectHost(const EffectHost&) = delete;
  EffectHost& operator=(const EffectHost&) = delete;

  // The host's order: global setup, parameter setup, sequence setup.
  PF_Err Start();
  // Sequence setdown (when a sequence is live), then global setdown.
  PF_Err Stop();

  // One command each, with the records the host would pass.
  PF_Err About(std::string* text);
  PF_Err GlobalSetup();
  PF_Err ParamsSetup();
  PF_Err GlobalSetdown();
  PF_Err SequenceSetup();
  PF_Err SequenceResetup();
  PF_Err SequenceFlatten();
  PF_Err SequenceSetdown();
  PF_Err Options();     // command 9
  PF_Err FrameSetup();  // command 10, with the parameter array
  // Render of frame `frame` (current_time = frame * time_step). Clears the output world to
  // transparent black first when clearOutput is true.
  PF_Err Render(int32_t frame, bool clearOutput = true);
  // Any selector, with the parameter array and the output world.
  PF_Err Send(PF_Cmd cmd);

  // Parameters as added by parameter setup; position 0 is the input layer.
  int ParamCount() const { return static_cast<int>(params_.size()); }
  // The parameter array as the effect is handed it.
  PF_ParamDef* const* ParamArray();
  PF_ParamDef& Param(int position) { return params_[position]; }
  const PF_ParamDef& Param(int position) const { return params_[position]; }
  // Position of the parameter with this display name, or -1.
  int FindParam(const std::string& name) const;
  // Sets the value of a parameter by display name, as its type keeps it: sliders, angles and
  // check boxes take `value` as it is; colours take 0xRRGGBB (alpha kept). False when no
  // parameter has this name.
  bool SetValue(const std::string& name, int32_t value);
  bool SetColor(const std::string& name, uint8_t red, uint8_t green, uint8_t blue);

  // The frame size (in_data's width and height) and the output world; stride in pixels, 0 for
  // the width. The output world is (re)allocated, transparent black; one that cannot be had
  // throws std::bad_alloc and leaves the frame as it was (so does InputPixels).
  void SetFrame(int32_t width, int32_t height, int32_t outputStride = 0);
  // The input layer; it is copied. Stride in pixels, 0 for the width.
  void SetInput(const PF_Pixel* pixels, int32_t width, int32_t height, int32_t stride = 0);
  // The input layer from width x height RGBA pixels (straight alpha, rows without padding);
  // null gives a fully transparent layer.
  void SetInputRgba(const uint8_t* rgba, int32_t width, int32_t height);
  // The input layer of width x height pixels, rows without padding, for the caller to fill in
  // place before the next command: a front end that makes each frame anyway copies it once.
  PF_Pixel* InputPixels(int32_t width, int32_t height);
  const std::vector<PF_Pixel>& Output() const { return output_; }
  // The output world's frame (FrameWidth x FrameHeight) as RGBA pixels, rows without padding.
  void OutputRgba(uint8_t* rgba) const;
  int32_t OutputStride() const { return outputStride_; }
  int32_t FrameWidth() const { return inData_.width; }
  int32_t FrameHeight() const { return inData_.height; }

  void SetTimeStep(int32_t timeStep) { inData_.time_step = timeStep; }
  void SetMainWindow(void* window) { mainWindow_ = window; }

  PF_InData& InData() { return inData_; }
  PF_OutData& OutData() { return outData_; }
  PF_Handle SequenceHandle() const { return sequence_; }
  int LiveHandles() const { return liveHandles_; }

 private:
  friend struct EffectHostCallbacks;
  PF_Err Dispatch(PF_Cmd cmd, bool withParams);
  void RefreshLayers();

  // Where the commands go: an entry, or the instance of the effect linked in.
  PF_EffectEntry entry_ = nullptr;
  EffectInstance* instance_ = nullptr;
  PF_UtilCallbacks utils_{};
  PF_InData inData_{};
  PF_OutData outData_{};
  PF_Handle sequence_ = nullptr;
  std::vector<PF_ParamDef> params_;
  std::deque<std::string> labels_;  // check box labels, copied at add_param
  std::vector<PF_ParamDef*> paramPointers_;
  std::vector<PF_Pixel> input_;
  int32_t inputWidth_ = 0, inputHeight_ = 0, inputStride_ = 0;
  std::vector<PF_Pixel> output_;
  int32_t outputStride_ = 0;
  int32_t outputRows_ = 0;
  PF_LayerDef outputWorld_{};
  void* mainWindow_ = nullptr;
  int liveHandles_ = 0;
};

// Loads an effect plug-in binary at run time and finds its exported `main`. Null with a
// message in `error` when the file cannot be loaded or exports no `main`.
PF_EffectEntry LoadEffectPlugin(const std::string& path, std::string* error);
