// SPDX-License-Identifier: GPL-2.0-or-later
// The built fyrel-obs.so inside the real libobs (Mesa's software renderer, an X display from
// xvfb-run): the filter on OBS's image source showing PNGs of known opaque pixels, read back
// after each shown frame, against the effect driven by the host of our own. Exits 77
// (skipped) where libobs cannot start.
#include <obs-module.h>
#include <obs-nix-platform.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/png/png_io.h"
#include "host/effect_commands.h"
#include "effect/effect_params.h"
#include "effect/effect_presets.h"
#include "effect/fire_over.h"
#include "minihost/effect_host.h"
#include "pictures/default_source.h"

// Two calls of Xlib, declared here: its header's macros (None, Bool) break GoogleTest's.
extern "C" {
struct _XDisplay;
_XDisplay* XOpenDisplay(const char* name);
int XCloseDisplay(_XDisplay* display);
}

namespace {

using Frame = std::vector<uint8_t>;
using Values = std::vector<std::pair<std::string, int32_t>>;

// The pictures the image sources show, as files and as bytes. Opaque: a colour ramp with a
// bright block that feeds the fire.
std::vector<RgbaImage> pictures;
std::string PicturePath(size_t i) { return testing::TempDir() + "fyrel_obs_" + std::to_string(i) + ".png"; }

RgbaImage Pattern(int32_t w, int32_t h, int seed) {
  RgbaImage image{w, h, std::vector<uint8_t>(size_t(w) * h * 4, 255)};
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint8_t* p = &image.pixels[(size_t(y) * w + x) * 4];
      const bool block = x > w / 3 && x < w * 2 / 3 && y > h / 2;
      p[0] = block ? 250 : uint8_t(x * 255 / w);
      p[1] = block ? 240 : uint8_t(y * 255 / h);
      p[2] = uint8_t((x ^ y) * seed);
    }
  return image;
}

// Sources read back in the main render callback, once per shown frame, until each has `wanted`.
struct Watch {
  obs_source_t* source;
  size_t wanted;
  std::vector<Frame> frames;
};
std::mutex watchMutex;
std::condition_variable watchDone;
std::vector<Watch*> watches;
gs_texrender_t* readTexture;

void ReadBack(void*, uint32_t, uint32_t) {
  std::lock_guard<std::mutex> lock(watchMutex);
  for (Watch* w : watches) {
    const uint32_t cx = obs_source_get_width(w->source), cy = obs_source_get_height(w->source);
    if (w->frames.size() >= w->wanted || !cx) continue;
    gs_texrender_reset(readTexture);
    gs_texrender_begin(readTexture, cx, cy);
    vec4 clear = {};
    gs_clear(GS_CLEAR_COLOR, &clear, 0.0f, 0);
    gs_ortho(0.0f, float(cx), 0.0f, float(cy), -100.0f, 100.0f);
    gs_blend_state_push();
    gs_blend_function(GS_BLEND_ONE, GS_BLEND_ZERO);
    obs_source_video_render(w->source);
    gs_blend_state_pop();
    gs_texrender_end(readTexture);
    gs_stagesurf_t* stage = gs_stagesurface_create(cx, cy, GS_RGBA);
    gs_stage_texture(stage, gs_texrender_get_texture(readTexture));
    uint8_t* data;
    uint32_t rowBytes;
    if (gs_stagesurface_map(stage, &data, &rowBytes)) {
      Frame frame(size_t(cx) * cy * 4);
      for (uint32_t y = 0; y < cy; ++y) std::copy_n(data + size_t(y) * rowBytes, cx * 4, &frame[y * cx * 4]);
      w->frames.push_back(std::move(frame));
      gs_stagesurface_unmap(stage);
    }
    gs_stagesurface_destroy(stage);
  }
  watchDone.notify_all();
}

// The next `count` shown frames of each source, read alongside.
std::vector<Watch> Read(std::vector<obs_source_t*> sources, size_t count) {
  std::vector<Watch> read;
  for (obs_source_t* s : sources) read.push_back({s, count, {}});
  std::unique_lock<std::mutex> lock(watchMutex);
  for (Watch& w : read) watches.push_back(&w);
  watchDone.wait(lock, [&] { return std::all_of(read.begin(), read.end(), [&](Watch& w) { return w.frames.size() >= count; }); });
  watches.clear();
  return read;
}

// The effect's frames `first` .. `first + count - 1` of a picture as OBS holds them
// (premultiplied), with `before` set until `first` and `after` from then on.
void ExpectFrames(const std::vector<Frame>& got, const RgbaImage& picture, const Values& before, const Values& after,
                  int first, bool alone, const char* what) {
  EffectInstance instance;
  EffectHost host(instance);
  host.SetTimeStep(1);
  host.SetFrame(picture.width, picture.height);
  host.SetInputRgba(picture.pixels.data(), picture.width, picture.height);
  ASSERT_EQ(host.Start(), PF_Err_NONE);
  for (int k = 1; k < first + int(got.size()); ++k) {
    for (const auto& [name, value] : k < first ? before : after) ASSERT_TRUE(host.SetValue(name, value)) << name;
    host.FrameSetup();
    host.Render(k);
    Frame fire(picture.pixels.size()), want(picture.pixels.size());
    host.OutputRgba(fire.data());
    want = fire;
    const auto view = [&](auto* pixels) { return PackedView(pixels, picture.width, picture.height, PixelLayout::kRgba); };
    if (!alone) LayOver(view(std::as_const(fire).data()), view(picture.pixels.data()), view(want.data()));
    for (size_t i = 0; i < want.size(); i += 4)
      for (int c = 0; c < 3; ++c) want[i + c] = uint8_t(std::lround(want[i + c] * want[i + 3] / 255.0));
    if (k >= first) {
      EXPECT_TRUE(got[k - first] == want) << what << ": frame " << k;
    }
  }
}

obs_source_t* Create(const char* id, const std::string& json) {
  obs_data_t* settings = obs_data_create_from_json(json.c_str());
  obs_source_t* source = obs_source_create_private(id, id, settings);
  obs_data_release(settings);
  return source;
}
obs_source_t* Image(size_t i) { return Create("image_source", R"({"file": ")" + PicturePath(i) + "\"}"); }
obs_source_t* AddFilter(obs_source_t* source, const char* json) {
  obs_source_t* filter = Create("fyrel_filter", json);
  obs_source_filter_add(source, filter);
  return filter;
}
void Update(obs_source_t* source, const std::string& json) {
  obs_data_t* settings = obs_data_create_from_json(json.c_str());
  obs_source_update(source, settings);
  obs_data_release(settings);
}

TEST(ObsFilter, ShowsTheEffectsFramesAloneAndOverEachSourceWithItsOwnFire) {
  obs_source_t* a = Image(0);
  obs_source_t* b = Image(1);
  obs_source_t* fireA = AddFilter(a, R"({"fire_alone": true})");
  obs_source_t* fireB = AddFilter(b, "{}");
  // Colour 2 as OBS keeps it, 0xAABBGGRR; the direction in degrees.
  Update(fireB, R"({"velocity": 90, "customColor": true, "color2": 4278222975, "fireDirection": 30.5})");
  const Values changed = {{"Velocity", 90}, {"Custom Color", 1}, {"Color 2", 0x7F8000}, {"Fire Direction", 30 * 65536 + 32768}};
  // `a` is shown in the main view as well, once reading has begun: its fire steps once per
  // frame, not once per view.
  std::thread show([&] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); obs_set_output_source(0, a); });
  const std::vector<Watch> read = Read({a, b}, 6);
  show.join();
  obs_set_output_source(0, nullptr);
  ExpectFrames(read[0].frames, pictures[0], {}, {}, 1, true, "alone, defaults");
  ExpectFrames(read[1].frames, pictures[1], {}, changed, 1, false, "over, values set");

  // `b` is shown nowhere else: between reads its fire stands still. New values reach the next
  // frame; a new size, and the restart button, start again at frame 1.
  Update(fireB, R"({"velocity": 20, "soot": 200})");
  Values later = changed;
  later[0].second = 20;
  later.push_back({"Soot", 200});
  ExpectFrames(Read({b}, 3)[0].frames, pictures[1], changed, later, 7, false, "values changed");
  Update(b, R"({"file": ")" + PicturePath(2) + "\"}");
  ExpectFrames(Read({b}, 3)[0].frames, pictures[2], {}, later, 1, false, "new size");
  obs_properties_t* props = obs_source_properties(fireB);
  obs_property_button_clicked(obs_properties_get(props, "restart"), fireB);
  obs_properties_destroy(props);
  ExpectFrames(Read({b}, 2)[0].frames, pictures[2], {}, later, 1, false, "restarted");
  for (obs_source_t* s : {fireA, fireB, a, b}) obs_source_release(s);
}

// Each preset picked from the list at the top of the properties, as the properties view picks
// it (the list's modified callback, then an update with the settings): the effect's frames
// with the preset's values, the rest at their defaults.
TEST(ObsFilter, EachPresetFromTheListGivesTheEffectsFrames) {
  obs_properties_t* props = obs_get_source_properties("fyrel_filter");
  obs_property_t* list = obs_properties_first(props);
  ASSERT_STREQ(obs_property_name(list), "preset");
  ASSERT_EQ(obs_property_list_item_count(list), size_t(kPresetCount + 1));
  obs_properties_destroy(props);
  for (const EffectPreset& preset : kEffectPresets) {
    obs_source_t* source = Image(0);
    obs_source_t* fire = AddFilter(source, R"({"soot": 99})");  // the preset sets the rest too
    obs_data_t* settings = obs_source_get_settings(fire);
    obs_properties_t* shown = obs_source_properties(fire);  // the view opens, then a pick
    obs_data_set_string(settings, "preset", preset.name);
    EXPECT_TRUE(obs_property_modified(obs_properties_get(shown, "preset"), settings));
    obs_source_update(fire, settings);
    EXPECT_STREQ(obs_data_get_string(settings, "preset"), "");
    Values values;
    for (int i = 0; i < preset.count; ++i) {
      values.push_back({kEffectParams[preset.values[i].position - 1].name, preset.values[i].value});
    }
    ExpectFrames(Read({source}, 4)[0].frames, pictures[0], {}, values, 1, false, preset.name);
    obs_properties_destroy(shown);
    obs_data_release(settings);
    obs_source_release(fire);
    obs_source_release(source);
  }
}

// A picture wider than 4096 pixels, where sampling that filters would take in a texel's
// neighbours: every byte is still the effect's.
TEST(ObsFilter, LargePicturesAreDrawnTexelForTexel) {
  obs_source_t* source = Image(4);
  obs_source_t* fire = AddFilter(source, "{}");
  ExpectFrames(Read({source}, 2)[0].frames, pictures[4], {}, {}, 1, false, "over, 4200 wide");
  Update(fire, R"({"fire_alone": true})");
  ExpectFrames(Read({source}, 1)[0].frames, pictures[4], {}, {}, 3, true, "alone, 4200 wide");
  obs_source_release(fire);
  obs_source_release(source);
}

// The filter's properties and defaults are the parameter table's: each in its group, with its
// kind, range and default (colours as OBS keeps them, 0xAABBGGRR; angles in degrees), and its
// label and its group's title from the module's locale.
TEST(ObsFilter, PropertiesAreTheParameterTable) {
  obs_properties_t* props = obs_get_source_properties("fyrel_filter");
  obs_data_t* defaults = obs_get_source_defaults("fyrel_filter");
  int shown = 0;
  for (const EffectParam& p : kEffectParams) {
    obs_property_t* group = obs_properties_get(props, GroupInfo(p.group).scriptName);
    if (group) {
      EXPECT_STREQ(obs_property_description(group), GroupInfo(p.group).title);
    }
    obs_property_t* prop = group ? obs_properties_get(obs_property_group_content(group), p.scriptName) : nullptr;
    if (p.hostOnly || !prop) {
      EXPECT_TRUE(p.hostOnly && !obs_properties_get(props, p.scriptName)) << p.name;
      continue;
    }
    ++shown;
    EXPECT_STREQ(obs_property_description(prop), p.name);
    const uint32_t rgb = uint32_t(p.dephault) & 0xFFFFFF;
    switch (p.kind) {
      case ParamKind::kSlider:
        EXPECT_EQ(obs_property_get_type(prop), OBS_PROPERTY_INT) << p.name;
        EXPECT_EQ(obs_property_int_min(prop) * 1000 + obs_property_int_max(prop), p.min * 1000 + p.max) << p.name;
        EXPECT_EQ(obs_data_get_default_int(defaults, p.scriptName), p.dephault) << p.name;
        break;
      case ParamKind::kColor:
        EXPECT_EQ(obs_property_get_type(prop), OBS_PROPERTY_COLOR) << p.name;
        EXPECT_EQ(obs_data_get_default_int(defaults, p.scriptName) & 0xFFFFFF, (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16) << p.name;
        break;
      case ParamKind::kCheckBox:
        EXPECT_EQ(obs_property_get_type(prop), OBS_PROPERTY_BOOL) << p.name;
        EXPECT_EQ(obs_data_get_default_bool(defaults, p.scriptName), p.dephault != 0) << p.name;
        break;
      default:
        EXPECT_EQ(obs_property_get_type(prop), OBS_PROPERTY_FLOAT) << p.name;
        EXPECT_EQ(obs_data_get_default_double(defaults, p.scriptName), p.dephault / 65536.0) << p.name;
    }
  }
  EXPECT_EQ(shown, kShownParamCount);
  obs_data_release(defaults);
  obs_properties_destroy(props);
}

// The README's picture: frame 60 of the fire over the built-in wordmark, twice its size, on
// black, its letters feeding the fire ("Invert Source" off).
TEST(ObsFilter, Screenshot) {
  const char* path = std::getenv("FYREL_OBS_SCREENSHOT");
  if (!path) GTEST_SKIP() << "FYREL_OBS_SCREENSHOT names no file";
  obs_source_t* source = Image(3);
  obs_source_t* fire = AddFilter(source, R"({"invertSource": false})");
  WritePngFile(path, Read({source}, 60)[0].frames.back().data(), pictures[3].width, pictures[3].height, 4);
  obs_source_release(fire);
  obs_source_release(source);
}

int Skip(const char* why) {
  std::printf("obs_filter_test: skipped: %s\n", why);
  return 77;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  _XDisplay* display = XOpenDisplay(nullptr);
  if (!display) return Skip("no X display (run it under xvfb-run -a)");
  base_set_log_handler([](int level, const char* format, va_list args, void*) {
    if (level <= LOG_WARNING) std::vfprintf(stderr, (std::string(format) + "\n").c_str(), args);
  }, nullptr);
  obs_set_nix_platform(OBS_NIX_PLATFORM_X11_EGL);
  obs_set_nix_platform_display(display);
  if (!obs_startup("en-US", nullptr, nullptr)) return Skip("obs_startup failed");
  obs_video_info video = {"libobs-opengl", 30, 1, 320, 180, 320, 180, VIDEO_FORMAT_BGRA, 0, true,
                          VIDEO_CS_SRGB, VIDEO_RANGE_FULL, OBS_SCALE_BICUBIC};
  if (obs_reset_video(&video) != OBS_VIDEO_SUCCESS) return Skip("libobs found no usable graphics (obs_reset_video)");
  // The build's module unless the environment names another (the installed one, say), and
  // OBS's image source.
  const char* path = std::getenv("FYREL_OBS_MODULE") ? std::getenv("FYREL_OBS_MODULE") : FYREL_OBS_MODULE;
  const char* data = std::getenv("FYREL_OBS_DATA") ? std::getenv("FYREL_OBS_DATA") : FYREL_OBS_DATA;
  for (auto [file, dir] : {std::pair{path, data}, {OBS_IMAGE_SOURCE, OBS_IMAGE_SOURCE_DATA}}) {
    obs_module_t* module = nullptr;
    if (obs_open_module(&module, file, dir) != MODULE_SUCCESS || !obs_init_module(module)) {
      std::fprintf(stderr, "cannot load %s\n", file);
      return 1;
    }
  }
  const RgbaImage letters = DrawDefaultSource();
  RgbaImage ground{letters.width * 2, letters.height * 2, {}};
  for (int32_t y = 0; y < ground.height; ++y)  // the letters over black, opaque
    for (int32_t x = 0; x < ground.width; ++x) {
      const uint8_t* p = &letters.pixels[(size_t(y / 2) * letters.width + x / 2) * 4];
      for (int c = 0; c < 3; ++c) ground.pixels.push_back(uint8_t((p[c] * p[3] + 127) / 255));
      ground.pixels.push_back(255);
    }
  pictures = {Pattern(96, 64, 3), Pattern(80, 48, 5), Pattern(64, 72, 7), ground, Pattern(4200, 160, 9)};
  for (size_t i = 0; i < pictures.size(); ++i)
    WritePngFile(PicturePath(i), pictures[i].pixels.data(), pictures[i].width, pictures[i].height, 4);
  obs_enter_graphics();
  readTexture = gs_texrender_create(GS_RGBA, GS_ZS_NONE);
  obs_leave_graphics();
  obs_add_main_render_callback(ReadBack, nullptr);
  const int result = RUN_ALL_TESTS();
  obs_remove_main_render_callback(ReadBack, nullptr);
  obs_enter_graphics();
  gs_texrender_destroy(readTexture);
  obs_leave_graphics();
  obs_shutdown();
  XCloseDisplay(display);
  return result;
}
