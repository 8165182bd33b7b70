// SPDX-License-Identifier: GPL-2.0-or-later
// The OpenFX plug-in in a host of our own (tests/ofx/ofx_test_host.h), against the effect run
// directly by the host of our own: the description; frames in order, out of order and again,
// byte and float, rows bottom-up and top-down, padded, bounds away from 0,0; two instances
// interleaved and on two threads; what makes saved states stale; hosts without the optional
// suites and without a mandatory one. Every frame must be the renderer's frame, byte for byte.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <thread>
#endif

#include "host/effect_commands.h"
#include "effect/effect_params.h"
#include "effect/effect_presets.h"
#include "minihost/effect_host.h"
#include "tests/ofx/ofx_test_host.h"
#include "tests/windows/check.h"

#if !defined(_WIN32)
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

// The fire's buffers come from the page allocator, which the plug-in reaches through mmap:
// the next mapping of `failPages` bytes (and the allocator's header) fails, once.
size_t failPages = 0;
extern "C" void* mmap(void* address, size_t size, int protection, int flags, int fd,
                      off_t offset) {
  if (failPages != 0 && size >= failPages && size < failPages + 4096) {
    failPages = 0;
    errno = ENOMEM;
    return MAP_FAILED;
  }
  return reinterpret_cast<void*>(syscall(SYS_mmap, address, size, protection, flags, fd, offset));
}

// The plug-in shares the test's allocator on Linux: the allocation of exactly `failSize` bytes
// (a layer of the frame asked for; the host's images carry guards) that follows `failSkip`
// others fails, once, as in a host short of memory. `liveBytes` is what is held.
size_t failSize = 0;
int failSkip = 0;
std::atomic<size_t> liveBytes{0};
void* operator new(size_t size) {
  auto* block = size == failSize && failSkip-- <= 0 ? nullptr : static_cast<size_t*>(std::malloc(size + 16));
  if (!block) throw (failSize = 0, std::bad_alloc());
  liveBytes += *block = size;
  return block + 2;
}
void operator delete(void* p) noexcept {
  if (p) liveBytes -= *(static_cast<size_t*>(p) - 2);
  if (p) std::free(static_cast<size_t*>(p) - 2);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
// Every form that a plain delete may free comes from the same blocks.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try { return operator new(size); } catch (const std::bad_alloc&) { return nullptr; }
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
#endif

using ofxtest::Effect;
using ofxtest::Host;
using ofxtest::Layout;
using ofxtest::Picture;
using ofxtest::Scene;

namespace {

// The parameters as the effect's parameter table gives them, in the order the host shows
// them (by group, the table's order within each): script name, display name, kind ('i'
// integer, 'b' check box, 'c' colour, 'a' angle in degrees), group, default, range, help.
struct Expected {
  const char* script;
  const char* label;
  char kind;
  const char* group;
  double dephault[3];
  int min, max;
  const char* help;
};

std::vector<Expected> ExpectedParams() {
  std::vector<Expected> params;
  for (int group = 0; group < kParamGroupCount; ++group) {
    for (const EffectParam& row : EffectParams()) {
      if (row.hostOnly || static_cast<int>(row.group) != group) continue;
      Expected e{row.scriptName, row.name, 'i', GroupInfo(row.group).scriptName,
                 {static_cast<double>(row.dephault)}, row.min, row.max, row.help};
      if (row.kind == ParamKind::kCheckBox) e.kind = 'b';
      if (row.kind == ParamKind::kAngle) {
        e.kind = 'a';
        e.dephault[0] = row.dephault / 65536.0;
      }
      if (row.kind == ParamKind::kColor) {
        e = {row.scriptName, row.name, 'c', GroupInfo(row.group).scriptName,
             {RedOf(row.dephault) / 255.0, GreenOf(row.dephault) / 255.0, BlueOf(row.dephault) / 255.0},
             0, 1, row.help};
      }
      params.push_back(e);
    }
  }
  return params;
}
const std::vector<Expected> kParams = ExpectedParams();

const char* OfxType(char kind) {
  switch (kind) {
    case 'i': return "OfxParamTypeInteger";
    case 'b': return "OfxParamTypeBoolean";
    case 'c': return "OfxParamTypeRGB";
  }
  return "OfxParamTypeDouble";
}

// The value the effect gets: colours byte = round(c * 255), the angle 16.16 fixed degrees.
int32_t EffectValue(const Expected& p, const std::array<double, 3>& v) {
  auto byte = [](double c) { return static_cast<int32_t>(std::lround(std::min(1.0, std::max(0.0, c)) * 255)); };
  if (p.kind == 'c') return byte(v[0]) << 16 | byte(v[1]) << 8 | byte(v[2]);
  if (p.kind == 'a') return static_cast<int32_t>(std::llround(v[0] * 65536.0));
  return static_cast<int32_t>(v[0]);
}

// A source that moves: a bright disc drifting right, a dim bar, transparent holes; `variant`
// gives another picture at every frame.
Picture MovingSource(int width, int height, int frame, int variant) {
  Picture p(static_cast<size_t>(width) * height * 4);
  const int cx = (width / 3 + frame * 2 + variant * 5) % width, cy = height / 2 + variant;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* o = &p[(static_cast<size_t>(y) * width + x) * 4];
      const bool disc = (x - cx) * (x - cx) + (y - cy) * (y - cy) < height * height / 16;
      const bool bar = y > height - 6 && x > 3 && x < width - 3;
      o[0] = disc ? 250 : bar ? 140 : static_cast<uint8_t>((x * 5 + frame) & 0x3F);
      o[1] = disc ? 220 : bar ? 90 : static_cast<uint8_t>((y * 3 + variant) & 0x3F);
      o[2] = disc ? 180 : 30;
      o[3] = (x * 7 + y * 3 + frame) % 13 == 0 ? 0 : 255;
    }
  }
  return p;
}

// Frames 1 .. count of a fresh fire through the effect's entry, as `fyrel render` makes them:
// frame k from source picture k with the instance's values at k's time.
std::vector<Picture> Reference(Effect& instance, const Scene& scene, int count) {
  EffectInstance fire;
  EffectHost host(fire);
  host.Start();
  host.SetFrame(scene.width, scene.height);
  std::vector<Picture> frames;
  for (int k = 1; k <= count; ++k) {
    for (const Expected& p : kParams) {
      host.SetValue(p.label, EffectValue(p, instance.params.at(p.script)->At(scene.firstTime + k - 1)));
    }
    host.SetInputRgba(scene.picture(k).data(), scene.width, scene.height);
    host.FrameSetup();
    host.Render(k);
    frames.emplace_back(static_cast<size_t>(scene.width) * scene.height * 4);
    host.OutputRgba(frames.back().data());
  }
  host.Stop();
  return frames;
}

// Renders `frame` and compares it with the reference; the host must have every image back.
bool RenderMatches(Host& host, Effect* instance, int frame, const std::vector<Picture>& reference,
                   const char* what) {
  const Scene& scene = host.SceneOf(instance);
  Picture got;
  const int status = host.Render(instance, scene.firstTime + frame - 1, &got);
  const bool same = status == ofxtest::kOK && got == reference.at(frame - 1);
  if (!same) std::printf("  %s: frame %d %s (status %d)\n", what, frame, status ? "failed" : "differs", status);
  CHECK_EQ(host.liveImages, 0);
  return CHECK(same);
}

void SetParam(Effect* instance, const char* script, std::array<double, 3> value) {
  instance->params.at(script)->value = value;
}

Scene MakeScene(Layout source, Layout output, int variant = 0) {
  Scene scene;
  scene.source = source;
  scene.output = output;
  const int w = scene.width, h = scene.height;
  scene.picture = [w, h, variant](int frame) { return MovingSource(w, h, frame, variant); };
  return scene;
}

void CheckDescription(Host& host) {
  CHECK_STREQ(host.Identifier(), "example.zel-plugins.Fyrel");
  CHECK(host.Version(0) == 2 && host.Version(1) == 2);
  CHECK_EQ(host.hostCallsInSetHost, 0);
  CHECK_EQ(host.DescribeStatus(), ofxtest::kOK);
  CHECK_EQ(host.DescribeInContextStatus(), ofxtest::kOK);
  const ofxtest::PropertySet& d = host.Descriptor().props;
  CHECK_STREQ(d.String("OfxPropLabel"), "ZEL Fyrel");
  CHECK_STREQ(d.String("OfxImageEffectPluginPropGrouping"), "ZEL Plug-ins");
  CHECK(d.values.at("OfxImageEffectPropSupportedContexts").strings ==
        std::vector<std::string>{"OfxImageEffectContextFilter"});
  CHECK(d.values.at("OfxImageEffectPropSupportedPixelDepths").strings ==
        (std::vector<std::string>{"OfxBitDepthByte", "OfxBitDepthFloat"}));
  // The interface's defaults of 1 that this plug-in must turn off, and what it turns on.
  for (const char* off : {"OfxImageEffectPropSupportsTiles", "OfxImageEffectPropSupportsMultiResolution",
                          "OfxImageEffectPluginPropHostFrameThreading",
                          "OfxImageEffectPluginPropFieldRenderTwiceAlways"}) {
    if (!CHECK_EQ(d.Int(off), 0)) std::printf("  %s\n", off);
  }
  CHECK_EQ(d.Int("OfxImageEffectPropTemporalClipAccess"), 1);
  CHECK_EQ(d.Int("OfxImageEffectInstancePropSequentialRender"), 2);
  CHECK_STREQ(d.String("OfxImageEffectPluginRenderThreadSafety"), "OfxImageEffectRenderInstanceSafe");

  Effect& filter = host.FilterDescriptor();
  CHECK_EQ(filter.clips.size(), 2u);
  for (const char* name : {"Source", "Output"}) {
    if (!CHECK(filter.clips.count(name))) continue;
    const ofxtest::PropertySet& c = filter.clips.at(name)->props;
    CHECK(c.values.at("OfxImageEffectPropSupportedComponents").strings ==
          std::vector<std::string>{"OfxImageComponentRGBA"});
    CHECK_EQ(c.Int("OfxImageEffectPropSupportsTiles"), 0);
  }
  CHECK_EQ(filter.clips.at("Source")->props.Int("OfxImageEffectPropTemporalClipAccess"), 1);

  // Every parameter with its script name, the effect's name, group, default and range, shown
  // on the page after its group.
  std::vector<std::string> page;
  for (const std::string& name : filter.paramOrder) {
    if (filter.params.at(name)->type == "OfxParamTypePage") {
      page = filter.params.at(name)->props.values.at("OfxParamPropPageChild").strings;
    }
  }
  const char* group = "";
  for (const Expected& e : kParams) {
    if (!CHECK(filter.params.count(e.script))) continue;
    const ofxtest::Param& p = *filter.params.at(e.script);
    const ofxtest::PropertySet& props = p.props;
    CHECK_STREQ(p.type, OfxType(e.kind));
    CHECK_STREQ(props.String("OfxPropLabel"), e.label);
    CHECK_STREQ(props.String("OfxParamPropScriptName"), e.script);
    CHECK_STREQ(props.String("OfxParamPropHint"), e.help);
    CHECK_STREQ(props.String("OfxParamPropParent"), e.group);
    CHECK(filter.params.count(e.group) && filter.params.at(e.group)->type == "OfxParamTypeGroup");
    if (std::strcmp(group, e.group) != 0) {
      group = e.group;
      CHECK(std::find(page.begin(), page.end(), group) < std::find(page.begin(), page.end(), e.script));
    }
    CHECK(std::find(page.begin(), page.end(), e.script) != page.end());
    const bool ints = e.kind == 'i' || e.kind == 'b';
    for (int i = 0; i < (e.kind == 'c' ? 3 : 1); ++i) {
      const double dephault = ints ? props.Int("OfxParamPropDefault", i) : props.Double("OfxParamPropDefault", i);
      CHECK_EQ(dephault, e.dephault[i]);
      if (e.kind == 'b') continue;
      CHECK_EQ(ints ? props.Int("OfxParamPropMin", i) : props.Double("OfxParamPropMin", i), e.min);
      CHECK_EQ(ints ? props.Int("OfxParamPropMax", i) : props.Double("OfxParamPropMax", i), e.max);
    }
  }
  CHECK_STREQ(filter.params.at("fireDirection")->props.String("OfxParamPropDoubleType"), "OfxParamDoubleTypeAngle");

  // What the plug-in does not handle is left to the host; other contexts are refused.
  ofxtest::PropertySet in, out;
  for (const char* action : {"OfxImageEffectActionIsIdentity", "OfxImageEffectActionGetRegionOfDefinition",
                             "OfxActionBeginInstanceChanged", "NoSuchAction"}) {
    CHECK_EQ(host.Call(action, &filter, &in, &out), ofxtest::kReplyDefault);
  }
  CHECK_EQ(host.Call("NoSuchAction", nullptr, nullptr, nullptr), ofxtest::kReplyDefault);
  Effect general;
  general.props = host.Descriptor().props;
  in.SetString("OfxImageEffectPropContext", {"OfxImageEffectContextGeneral"});
  CHECK(host.Call("OfxImageEffectActionDescribeInContext", &general, &in, nullptr) != ofxtest::kOK);
}

// Frames in order, out of order and again, in each layout a host may give.
void CheckOrders(Host& host) {
  struct Case {
    const char* name;
    Layout source, output;
    std::vector<int> frames;
  };
  const Case cases[] = {
      {"bytes, bottom-up", {}, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 12, 5, 17, 3, 12, 13}},
      {"floats, top-down, away from 0,0", {true, -7, 5, 0, true}, {true, -7, 5, 8, true}, {9, 2, 9, 3, 10, 1, 1, 16}},
      {"bytes, padded, output with margin", {false, 3, -4, 12}, {false, 3, -4, 20, false, 3}, {6, 1, 2, 3, 11, 4}},
      {"floats in padded rows, top-down bytes out", {true, 0, 0, 16}, {false, 0, 0, 0, true, 2}, {3, 1, 2}},
  };
  for (const Case& c : cases) {
    Scene scene = MakeScene(c.source, c.output);
    Effect* instance = host.CreateInstance(&scene);
    if (!CHECK(instance != nullptr)) continue;
    SetParam(instance, "birth", {0});
    const std::vector<Picture> reference = Reference(*instance, scene, 20);
    for (int frame : c.frames) RenderMatches(host, instance, frame, reference, c.name);
    CHECK_EQ(host.DestroyInstance(instance), ofxtest::kOK);
  }

  // In order, each frame reads one source frame; a seek back replays from the nearest saved
  // state: at most twelve frames; the host is told which frames a render reads.
  Scene scene = MakeScene({}, {});
  Effect* instance = host.CreateInstance(&scene);
  if (!CHECK(instance != nullptr)) return;
  const std::vector<Picture> reference = Reference(*instance, scene, 30);
  double range[2];
  CHECK(host.FramesNeeded(instance, 12.0, range) == ofxtest::kOK && range[0] == 1.0 && range[1] == 12.0);
  for (int frame = 1; frame <= 30; ++frame) {
    const int before = host.sourceFetches;
    RenderMatches(host, instance, frame, reference, "in order");
    CHECK_EQ(host.sourceFetches - before, 1);
  }
  CHECK(host.FramesNeeded(instance, 31.0, range) == ofxtest::kOK && range[0] == 31.0 && range[1] == 31.0);
  CHECK(host.FramesNeeded(instance, 23.0, range) == ofxtest::kOK && range[0] == 13.0 && range[1] == 23.0);
  int before = host.sourceFetches;
  RenderMatches(host, instance, 23, reference, "seek back");
  CHECK(host.sourceFetches - before <= 12);
  before = host.sourceFetches;
  RenderMatches(host, instance, 23, reference, "again");
  CHECK_EQ(host.sourceFetches - before, 1);
  host.DestroyInstance(instance);
}

void RunTogether(void (*a)(void*), void* argA, void (*b)(void*), void* argB) {
#if defined(_WIN32)
  struct Call { void (*f)(void*); void* arg; } calls[2] = {{a, argA}, {b, argB}};
  auto run = [](void* p) -> DWORD { static_cast<Call*>(p)->f(static_cast<Call*>(p)->arg); return 0; };
  HANDLE threads[2];
  for (int i = 0; i < 2; ++i) threads[i] = CreateThread(nullptr, 0, run, &calls[i], 0, nullptr);
  WaitForMultipleObjects(2, threads, TRUE, INFINITE);
  for (HANDLE t : threads) CloseHandle(t);
#else
  std::thread first(a, argA), second(b, argB);
  first.join();
  second.join();
#endif
}

// Two instances with other values: interleaved frame by frame, then each on a thread of its
// own at the same time.
void CheckInstances(Host& host) {
  Scene sceneA = MakeScene({}, {}), sceneB = MakeScene({true}, {true}, 3);
  Effect* a = host.CreateInstance(&sceneA);
  Effect* b = host.CreateInstance(&sceneB);
  if (!CHECK(a && b)) return;
  SetParam(b, "velocity", {100});
  SetParam(b, "customColor", {1});
  SetParam(b, "color1", {0.25, 0.5, 1.0});
  SetParam(b, "color3", {0.5004, 0.1, 0.9});
  SetParam(b, "fireDirection", {90.5});
  SetParam(b, "birth", {0});
  const std::vector<Picture> refA = Reference(*a, sceneA, 24), refB = Reference(*b, sceneB, 24);
  for (int frame = 1; frame <= 6; ++frame) {
    RenderMatches(host, a, frame, refA, "instance A, interleaved");
    RenderMatches(host, b, frame, refB, "instance B, interleaved");
  }
  RenderMatches(host, b, 3, refB, "instance B, out of order");
  RenderMatches(host, a, 7, refA, "instance A, in order again");

  struct Run {
    Host* host;
    Effect* instance;
    const std::vector<Picture>* reference;
    std::vector<Picture> frames;
  } runs[2] = {{&host, a, &refA, {}}, {&host, b, &refB, {}}};
  auto render = [](void* p) {
    Run& run = *static_cast<Run*>(p);
    const Scene& scene = run.host->SceneOf(run.instance);
    for (int frame = 8; frame <= 24; frame += frame % 5 == 0 ? 3 : 1) {
      Picture got;
      run.host->Render(run.instance, scene.firstTime + frame - 1, &got);
      run.frames.push_back(got == run.reference->at(frame - 1) ? Picture{} : got);
    }
  };
  RunTogether(render, &runs[0], render, &runs[1]);
  for (const Run& run : runs) {
    for (const Picture& frame : run.frames) CHECK(frame.empty());
  }
  host.DestroyInstance(a);
  host.DestroyInstance(b);
}

// The "Preset" choice, first on the page: each preset picked by the user sets every other
// parameter to its value (the default for what it does not name) within one edit, the choice
// goes back to its first option, and the frames are the effect's with those values.
void CheckPresets(Host& host) {
  const Effect& filter = host.FilterDescriptor();
  if (!CHECK(filter.params.count("preset"))) return;
  const ofxtest::Param& choice = *filter.params.at("preset");
  CHECK_STREQ(choice.type, "OfxParamTypeChoice");
  CHECK_EQ(choice.props.Int("OfxParamPropAnimates"), 0);
  const std::vector<std::string>& options = choice.props.values.at("OfxParamPropChoiceOption").strings;
  CHECK_EQ(options.size(), size_t(kPresetCount + 1));
  for (const std::string& name : filter.paramOrder) {
    if (filter.params.at(name)->type == "OfxParamTypePage") {
      CHECK_STREQ(filter.params.at(name)->props.String("OfxParamPropPageChild", 0), "preset");
    }
  }
  for (int i = 0; i < kPresetCount && i + 1 < int(options.size()); ++i) {
    const EffectPreset& preset = kEffectPresets[i];
    CHECK_STREQ(options[i + 1], preset.title);
    Scene scene = MakeScene({}, {});
    Effect* instance = host.CreateInstance(&scene);
    if (!CHECK(instance != nullptr)) continue;
    SetParam(instance, "soot", {99});  // the preset sets the rest too
    SetParam(instance, "preset", {double(i + 1)});
    host.valuesSet.clear();
    CHECK_EQ(host.Notify(instance, "OfxTypeParameter", "preset"), ofxtest::kOK);
    CHECK_EQ(host.valuesSet.size(), kParams.size() + 1);
    for (const auto& set : host.valuesSet) CHECK(set.second);  // all in one edit
    CHECK_EQ(instance->params.at("preset")->value[0], 0.0);
    for (const Expected& p : kParams) {
      for (const EffectParam& row : EffectParams()) {
        if (std::strcmp(row.scriptName, p.script) != 0) continue;
        if (!CHECK_EQ(EffectValue(p, instance->params.at(p.script)->value), PresetValueOf(preset, row))) {
          std::printf("  %s: %s\n", preset.name, p.script);
        }
      }
    }
    const std::vector<Picture> reference = Reference(*instance, scene, 8);
    for (int frame = 1; frame <= 8; ++frame) RenderMatches(host, instance, frame, reference, preset.name);
    host.DestroyInstance(instance);
  }
}

// Whatever a saved state was made from changes, the frames that follow from it change too.
void CheckChanges(Host& host) {
  Scene scene = MakeScene({}, {false, 0, 0, 0, false, 1});
  scene.firstTime = 101.0;  // frame 1 is at time 101
  Effect* instance = host.CreateInstance(&scene);
  if (!CHECK(instance != nullptr)) return;
  ofxtest::Param& height = *instance->params.at("height");
  height.keys = {{101.0, {13}}, {106.0, {60}}};  // animated: 60 from frame 6
  std::vector<Picture> reference = Reference(*instance, scene, 30);
  for (int frame = 1; frame <= 20; ++frame) RenderMatches(host, instance, frame, reference, "animated");

  // A value without keys edited between frames 9 and 10, as hosts report a user's edit, for a
  // host that gives only the source frames the plug-in declares it reads.
  Scene strict = MakeScene({}, {});
  strict.onlyDeclared = true;
  if (Effect* edited = host.CreateInstance(&strict); CHECK(edited != nullptr)) {
    const std::vector<Picture> before = Reference(*edited, strict, 9);
    for (int frame = 1; frame <= 9; ++frame) RenderMatches(host, edited, frame, before, "before the edit");
    SetParam(edited, "velocity", {80});
    host.Notify(edited, "OfxTypeParameter", "velocity");
    RenderMatches(host, edited, 10, Reference(*edited, strict, 10), "edited, declared frames only");
    host.DestroyInstance(edited);
  }

  // A key moved, as the host reports it: the frames after it change, seek or not.
  height.keys[106.0] = {90};
  host.Notify(instance, "OfxTypeParameter", "height");
  reference = Reference(*instance, scene, 30);
  RenderMatches(host, instance, 21, reference, "key changed, next frame");
  RenderMatches(host, instance, 9, reference, "key changed, seek");
  // A value without keyframes changed, unreported: it changed at every frame.
  SetParam(instance, "soot", {40});
  reference = Reference(*instance, scene, 30);
  RenderMatches(host, instance, 10, reference, "value changed unreported");
  RenderMatches(host, instance, 25, reference, "value changed unreported, seek");

  // The source changed everywhere, unreported: seen at the frame asked for again.
  scene.picture = [&](int frame) { return MovingSource(scene.width, scene.height, frame, 7); };
  reference = Reference(*instance, scene, 30);
  RenderMatches(host, instance, 25, reference, "source changed");
  RenderMatches(host, instance, 26, reference, "source changed, next frame");
  // And again, seen in the frames a seek back replays.
  scene.picture = [&](int frame) { return MovingSource(scene.width, scene.height, frame, 9); };
  reference = Reference(*instance, scene, 30);
  RenderMatches(host, instance, 19, reference, "source changed, seek back");
  // One earlier source frame changed, reported for the clip.
  scene.picture = [&](int frame) { return MovingSource(scene.width, scene.height, frame, frame == 3 ? 2 : 7); };
  host.Notify(instance, "OfxTypeClip", "Source");
  reference = Reference(*instance, scene, 30);
  RenderMatches(host, instance, 27, reference, "one source frame changed");

  // Caches purged; a new frame size; before the clip begins there is no fire.
  CHECK_EQ(host.Call("OfxActionPurgeCaches", instance, nullptr, nullptr), ofxtest::kOK);
  RenderMatches(host, instance, 14, reference, "after purge");
  scene.width = 40;
  scene.height = 30;
  reference = Reference(*instance, scene, 30);
  RenderMatches(host, instance, 15, reference, "new frame size");
  Picture before;
  CHECK_EQ(host.Render(instance, 99.0, &before), ofxtest::kOK);
  CHECK(before == Picture(before.size(), 0));

  host.DestroyInstance(instance);
}

// Hosts that ask for odd things: frames far past the source, a source range or region without
// bounds, values changed by expression without keys, output regions that change or have no
// bounds, a size that cannot be had. Each frame is the source's fire, one read a frame, or none.
void CheckOddHosts(Host& host) {
  // Frames rendered in order from 1; the output region's growth at odd and even frames.
  struct Case { const char* name; int frames; bool unboundedRange, expression; int outputGrow[2], sourceGrow; } const cases[] = {
      {"source range infinite", 3, true, false, {0, 0}, 0},
      {"expression", 12, false, true, {0, 0}, 0},
      {"output region alternating", 40, false, false, {0, 8}, 0},
      {"output region unbounded", 3, false, false, {-1, -1}, 0},
      {"output region huge", 2, false, false, {600, 600}, 0},
      {"source region unbounded", 3, false, false, {0, 0}, -1},
  };
  for (const Case& c : cases) {
    Scene scene = MakeScene({}, {});
    scene.unboundedRange = c.unboundedRange;
    scene.source.grow = c.sourceGrow;
    Effect* instance = host.CreateInstance(&scene);
    if (!CHECK(instance != nullptr)) continue;
    if (c.expression) instance->params.at("height")->expression = [](double t) { return std::array<double, 3>{13 + 7 * t}; };
    const std::vector<Picture> reference = Reference(*instance, scene, c.frames);
    const int before = host.sourceFetches;
    for (int frame = 1; frame <= c.frames; ++frame) {
      scene.output.grow = c.outputGrow[frame % 2];
      RenderMatches(host, instance, frame, reference, c.name);
    }
    if (!CHECK_EQ(host.sourceFetches - before, c.frames)) std::printf("  %s\n", c.name);
    // Far past the source's end, and at an infinite time, there is no fire, at once.
    Picture blank;
    for (double time : {1e9, HUGE_VAL}) CHECK(host.Render(instance, time, &blank) == ofxtest::kOK && blank == Picture(blank.size(), 0));
    host.DestroyInstance(instance);
  }
#if !defined(_WIN32)
  // A size whose source the host cannot make fails with a message and keeps nothing of it
  // (the plug-in reads the source where the host holds it: the frame-sized allocation that
  // fails is the host's), and the same size renders once the memory is there.
  Scene scene = MakeScene({}, {});
  scene.picture = [&scene](int frame) { return MovingSource(scene.width, scene.height, frame, 0); };
  Effect* instance = host.CreateInstance(&scene);
  if (!CHECK(instance != nullptr)) return;
  const std::vector<Picture> small = Reference(*instance, scene, 4);
  for (int frame = 1; frame <= 3; ++frame) RenderMatches(host, instance, frame, small, "before");
  scene.width = scene.height = 1024;
  const std::vector<Picture> large = Reference(*instance, scene, 2);
  Picture frame(size_t{4} << 20);
  // The fire's buffers of the new size cannot be had: the plug-in says so, and the fire keeps
  // its size and states.
  failPages = size_t{1} << 20;
  CHECK_EQ(host.Render(instance, 4.0, &frame), 8);  // kOfxStatErrMemory
  CHECK(!host.messages.empty() &&
        host.messages.back().find("not enough memory for a 1024 x 1024 fire") != std::string::npos);
  scene.width = 48, scene.height = 36;
  int before = host.sourceFetches;
  RenderMatches(host, instance, 4, small, "after a fire that could not be had");
  CHECK_EQ(host.sourceFetches - before, 1);
  scene.width = scene.height = 1024;
  const size_t held = liveBytes;
  failSize = size_t{4} << 20, failSkip = 0;  // the host's source picture
  CHECK_EQ(host.Render(instance, 4.0, &frame), 8);  // kOfxStatErrMemory
  CHECK(liveBytes < held + (size_t{1} << 20));
  CHECK(!host.messages.empty() && host.messages.back().find("not enough memory") != std::string::npos);
  scene.width = 48, scene.height = 36;
  before = host.sourceFetches;
  RenderMatches(host, instance, 4, small, "after a size that could not be had");
  CHECK_EQ(host.sourceFetches - before, 4);  // the fire had taken the new size: from frame 1
  scene.width = scene.height = 1024;
  RenderMatches(host, instance, 2, large, "the size again, with the memory");
  host.DestroyInstance(instance);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: %s path/to/Fyrel.ofx\n", argv[0]);
    return 2;
  }
  {
    // A host that serves only what it must: no message, memory or thread suites.
    Host host({false, true});
    std::string error;
    if (!CHECK(host.Load(argv[1], &error))) {
      std::printf("  %s\n", error.c_str());
      return check::Summary("ofx_host_test");
    }
    // It asked for the message suite and does without.
    CHECK(std::find(host.fetched.begin(), host.fetched.end(), "OfxMessageSuite/1") != host.fetched.end());
    CheckDescription(host);
    CheckOrders(host);
    CheckInstances(host);
    CheckChanges(host);
    CheckPresets(host);
    CHECK_EQ(host.Unload(), ofxtest::kOK);
    CHECK_EQ(host.liveImages, 0);
    for (const std::string& fault : host.faults) CHECK(!std::printf("  host saw: %s\n", fault.c_str()));
  }
  {
    // A host with a message suite hears why a render fails, in words that say what to change:
    // images the plug-in cannot read, a source too large, an empty request, a source frame the
    // fire is made from withheld (nothing else is given as that fire).
    Host host({true, true});
    std::string error;
    CHECK(host.Load(argv[1], &error));
    CheckOddHosts(host);
    struct Case { void (*set)(Scene&); int status; const char* message; } const cases[] = {
        {[](Scene& s) { s.source.shorts = true; }, 1000, "source image is not RGBA"},
        {[](Scene& s) { s.source.shortRows = true; }, 1, "source image has row bytes shorter"},
        {[](Scene& s) { s.source.noData = true; }, 1, "source image has no pixel data"},
        {[](Scene& s) { s.output.shortRows = true; }, 1, "output image has row bytes shorter"},
        {[](Scene& s) { s.source.grow = 20000; }, 1, "crop or scale the source"},
        {[](Scene& s) { s.width = 0; }, 1, "asks for an empty frame, 0 x 36 pixels"},
        {[](Scene& s) { s.withheld = 3; }, 1, "no source image"},
    };
    for (const Case& c : cases) {
      Scene scene = MakeScene({}, {});
      c.set(scene);
      Effect* instance = host.CreateInstance(&scene);
      Picture frame;
      host.messages.clear();
      if (!CHECK(instance && host.Render(instance, 5.0, &frame) == c.status)) continue;
      CHECK(host.messages.size() == 1 && host.messages[0].find("OfxMessageError") == 0 &&
            host.messages[0].find(c.message) != std::string::npos);
      if (scene.withheld) RenderMatches(host, instance, 2, Reference(*instance, scene, 2), "before the withheld frame");
      host.DestroyInstance(instance);
    }
    CHECK_EQ(host.liveImages, 0);
    for (const std::string& fault : host.faults) CHECK(!std::printf("  host saw: %s\n", fault.c_str()));
  }
  {
    // Without the parameter suite the plug-in cannot work: load says so, and nothing breaks.
    Host host({true, false});
    std::string error;
    CHECK(!host.Load(argv[1], &error));
    CHECK_EQ(host.LoadStatus(), ofxtest::kErrMissingHostFeature);
    CHECK(host.faults.empty());
  }
  return check::Summary("ofx_host_test");
}
