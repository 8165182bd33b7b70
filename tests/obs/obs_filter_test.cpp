// The built fyrel-obs.so inside the real libobs (software renderer, X display from xvfb-run):
// the filter on test sources of known opaque pixels, read back after each shown frame, against
// the effect driven by the host of our own. Exits 77 (skipped) where libobs cannot start.
#include <obs-module.h>
#include <obs-nix-platform.h>
#include <obs.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/media/composite.h"
#include "cli/media/default_source.h"
#include "cli/png/png_io.h"
#include "host/effect_commands.h"
#include "minihost/effect_host.h"

// Two calls of Xlib, declared here: its header's macros (None, Bool) break GoogleTest's.
extern "C" {
struct _XDisplay;
_XDisplay* XOpenDisplay(const char* name);
int XCloseDisplay(_XDisplay* display);
}

namespace {

using Frames = std::vector<std::vector<uint8_t>>;
using Values = std::vector<std::pair<std::string, int32_t>>;

// Opaque test pictures: a colour ramp with a bright block that feeds the fire.
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

// The test source: draws pictures_[settings "picture"] as it is.
std::vector<RgbaImage> pictures;
struct TestSource {
  std::atomic<const RgbaImage*> picture{nullptr};
  const RgbaImage* uploaded = nullptr;
  gs_texture_t* texture = nullptr;
};

void RegisterTestSource() {
  obs_source_info info = {};
  info.id = "fyrel_test_picture";
  info.type = OBS_SOURCE_TYPE_INPUT;
  info.output_flags = OBS_SOURCE_VIDEO;
  info.get_name = [](void*) { return "test picture"; };
  info.update = [](void* data, obs_data_t* s) {
    static_cast<TestSource*>(data)->picture = &pictures.at(obs_data_get_int(s, "picture"));
  };
  info.create = [](obs_data_t* s, obs_source_t*) -> void* {
    auto* source = new TestSource;
    source->picture = &pictures.at(obs_data_get_int(s, "picture"));
    return source;
  };
  info.destroy = [](void* data) {
    obs_enter_graphics();
    gs_texture_destroy(static_cast<TestSource*>(data)->texture);
    obs_leave_graphics();
    delete static_cast<TestSource*>(data);
  };
  info.get_width = [](void* data) { return uint32_t(static_cast<TestSource*>(data)->picture.load()->width); };
  info.get_height = [](void* data) { return uint32_t(static_cast<TestSource*>(data)->picture.load()->height); };
  info.video_render = [](void* data, gs_effect_t*) {
    auto* source = static_cast<TestSource*>(data);
    const RgbaImage* picture = source->picture;
    if (source->uploaded != picture) {
      gs_texture_destroy(source->texture);
      const uint8_t* bytes = picture->pixels.data();
      source->texture = gs_texture_create(picture->width, picture->height, GS_RGBA, 1, &bytes, 0);
      source->uploaded = picture;
    }
    obs_source_draw(source->texture, 0, 0, 0, 0, false);
  };
  obs_register_source(&info);
}

// Sources read back in the main render callback, once per shown frame, until each has its count.
struct Watch {
  obs_source_t* source;
  size_t wanted;
  Frames frames;
  std::vector<double> ms;  // each render of the source, filter included
};
std::mutex watchMutex;
std::condition_variable watchDone;
std::vector<Watch*> watches;
gs_texrender_t* readTexture;
gs_stagesurf_t* readStage;

void ReadBack(void*, uint32_t, uint32_t) {
  std::lock_guard<std::mutex> lock(watchMutex);
  for (Watch* w : watches) {
    if (w->frames.size() >= w->wanted) continue;
    const uint32_t cx = obs_source_get_width(w->source), cy = obs_source_get_height(w->source);
    if (!readStage || gs_stagesurface_get_width(readStage) != cx || gs_stagesurface_get_height(readStage) != cy) {
      gs_stagesurface_destroy(readStage);
      readStage = gs_stagesurface_create(cx, cy, GS_RGBA);
    }
    gs_texrender_reset(readTexture);
    const auto start = std::chrono::steady_clock::now();
    gs_texrender_begin(readTexture, cx, cy);
    vec4 clear = {};
    gs_clear(GS_CLEAR_COLOR, &clear, 0.0f, 0);
    gs_ortho(0.0f, float(cx), 0.0f, float(cy), -100.0f, 100.0f);
    gs_blend_state_push();
    gs_blend_function(GS_BLEND_ONE, GS_BLEND_ZERO);
    obs_source_video_render(w->source);
    gs_blend_state_pop();
    gs_texrender_end(readTexture);
    gs_flush();
    w->ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    gs_stage_texture(readStage, gs_texrender_get_texture(readTexture));
    uint8_t* data;
    uint32_t rowBytes;
    if (!gs_stagesurface_map(readStage, &data, &rowBytes)) continue;
    std::vector<uint8_t> frame(size_t(cx) * cy * 4);
    for (uint32_t y = 0; y < cy; ++y) std::copy_n(data + size_t(y) * rowBytes, cx * 4, &frame[size_t(y) * cx * 4]);
    gs_stagesurface_unmap(readStage);
    w->frames.push_back(std::move(frame));
  }
  watchDone.notify_all();
}

// Reads `count` more shown frames of each source (all at once).
std::vector<Watch> Read(std::vector<obs_source_t*> sources, size_t count) {
  std::vector<Watch> read;
  for (obs_source_t* s : sources) read.push_back({s, count, {}, {}});
  std::unique_lock<std::mutex> lock(watchMutex);
  for (Watch& w : read) watches.push_back(&w);
  watchDone.wait(lock, [&] {
    for (Watch& w : read) if (w.frames.size() < count) return false;
    return true;
  });
  watches.clear();
  return read;
}

// The effect's frames first .. first + count - 1 from a picture, with `before` set at each
// earlier frame and `after` from `first` on, as OBS holds them (premultiplied).
Frames Expected(const RgbaImage& picture, const Values& before, const Values& after, int first, int count,
                bool alone) {
  EffectInstance instance;
  EffectHost host(instance);
  host.SetTimeStep(1);
  host.SetFrame(picture.width, picture.height);
  host.SetInputRgba(picture.pixels.data(), picture.width, picture.height);
  EXPECT_EQ(host.Start(), PF_Err_NONE);
  Frames frames;
  for (int k = 1; k < first + count; ++k) {
    for (const auto& [name, value] : k < first ? before : after) EXPECT_TRUE(host.SetValue(name, value)) << name;
    host.FrameSetup();
    host.Render(k);
    std::vector<uint8_t> out(picture.pixels.size());
    host.OutputRgba(out.data());
    if (!alone) CompositeOver(picture.pixels.data(), out.data(), out.size() / 4);
    for (size_t i = 0; i < out.size(); i += 4)
      for (int c = 0; c < 3; ++c) out[i + c] = uint8_t(std::lround(out[i + c] * out[i + 3] / 255.0));
    if (k >= first) frames.push_back(std::move(out));
  }
  return frames;
}

void ExpectFrames(const Frames& got, const Frames& want, const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (size_t k = 0; k < got.size(); ++k) {
    size_t differ = 0;
    for (size_t i = 0; i < got[k].size(); ++i) differ += got[k][i] != want[k][i];
    EXPECT_EQ(differ, 0u) << what << ": bytes differing in the " << k + 1 << "th frame read";
  }
}

obs_source_t* Source(int picture) {
  obs_data_t* s = obs_data_create();
  obs_data_set_int(s, "picture", picture);
  obs_source_t* source = obs_source_create_private("fyrel_test_picture", "picture", s);
  obs_data_release(s);
  return source;
}

obs_source_t* AddFilter(obs_source_t* source, const char* json) {
  obs_data_t* s = obs_data_create_from_json(json);
  obs_source_t* filter = obs_source_create_private("fyrel_filter", "fire", s);
  obs_data_release(s);
  obs_source_filter_add(source, filter);
  return filter;
}

void Update(obs_source_t* source, const char* json) {
  obs_data_t* s = obs_data_create_from_json(json);
  obs_source_update(source, s);
  obs_data_release(s);
}

const char* kChanged = R"({"velocity": 90, "customColor": true, "color2": 4278222975, "fireDirection": 30.5})";
const Values kChangedValues = {{"Velocity", 90}, {"Custom Color", 1}, {"Color 2", 0x7F8000}, {"Fire Direction", 30 * 65536 + 32768}};

TEST(ObsFilter, ShowsTheEffectsFramesAloneAndOverEachSourceWithItsOwnFire) {
  obs_source_t* a = Source(0);
  obs_source_t* b = Source(1);
  obs_source_t* fireA = AddFilter(a, R"({"fire_alone": true})");
  obs_source_t* fireB = AddFilter(b, "{}");
  Update(fireB, kChanged);
  // `a` is shown in the main view as well: its fire steps once per frame, not once per view.
  std::vector<Watch> read;
  {
    std::thread show([&] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); obs_set_output_source(0, a); });
    read = Read({a, b}, 6);
    show.join();
  }
  obs_set_output_source(0, nullptr);
  ExpectFrames(read[0].frames, Expected(pictures[0], {}, {}, 1, 6, true), "alone, defaults");
  ExpectFrames(read[1].frames, Expected(pictures[1], {}, kChangedValues, 1, 6, false), "over, changed values");

  // `b` is shown nowhere else: between reads its fire stands still. New values reach the next
  // frame; a new size, and the restart button, start again at frame 1.
  Update(fireB, R"({"velocity": 20, "soot": 200})");
  Values later = kChangedValues;
  later[0].second = 20;
  later.push_back({"Soot", 200});
  ExpectFrames(Read({b}, 3)[0].frames, Expected(pictures[1], kChangedValues, later, 7, 3, false), "values changed");
  Update(b, R"({"picture": 2})");
  ExpectFrames(Read({b}, 3)[0].frames, Expected(pictures[2], {}, later, 1, 3, false), "new size");
  obs_properties_t* props = obs_source_properties(fireB);
  obs_property_button_clicked(obs_properties_get(props, "restart"), fireB);
  obs_properties_destroy(props);
  ExpectFrames(Read({b}, 2)[0].frames, Expected(pictures[2], {}, later, 1, 2, false), "restarted");
  for (obs_source_t* s : {fireA, fireB, a, b}) obs_source_release(s);
}

// What a frame at 1920x1080 costs in libobs with the software renderer, which draws, reads
// back and uploads on the CPU too: the render of a source with the filter, less that of the
// source alone, beside the engine's frame (bench/obs_filter_bench.cpp measures the filter's
// own work apart from the renderer). Logged, not checked.
TEST(ObsFilter, LogsTheCostOfAFrameAt1080p) {
  const auto median = [](std::vector<double> v) { std::sort(v.begin(), v.end()); return v[v.size() / 2]; };
  obs_source_t* source = Source(3);
  const double alone = median(Read({source}, 20)[0].ms);
  obs_source_t* fire = AddFilter(source, "{}");
  const double filtered = median(Read({source}, 20)[0].ms) - alone;
  std::vector<double> engine;
  EffectInstance instance;
  EffectHost host(instance);
  host.SetTimeStep(1);
  host.SetFrame(1920, 1080);
  host.SetInputRgba(pictures[3].pixels.data(), 1920, 1080);
  host.Start();
  for (int k = 1; k <= 20; ++k) {
    const auto start = std::chrono::steady_clock::now();
    host.FrameSetup();
    host.Render(k);
    engine.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("1920x1080 in libobs (software renderer): the filter adds %.2f ms to a frame; the engine's frame is %.2f ms\n",
              filtered, median(engine));
  obs_source_release(fire);
  obs_source_release(source);
}

// The README's picture: frame 60 of the fire over the built-in source, twice its size, on
// black, its letters feeding the fire ("Invert Source" off).
TEST(ObsFilter, Screenshot) {
  const char* path = std::getenv("FYREL_OBS_SCREENSHOT");
  if (!path) GTEST_SKIP() << "FYREL_OBS_SCREENSHOT names no file";
  obs_source_t* source = Source(4);
  obs_source_t* fire = AddFilter(source, R"({"invertSource": false})");
  const Frames frames = Read({source}, 60)[0].frames;
  WritePngFile(path, frames.back().data(), pictures[4].width, pictures[4].height, 4);
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
    if (level <= LOG_WARNING) { std::vfprintf(stderr, format, args); std::fputc('\n', stderr); }
  }, nullptr);
  obs_set_nix_platform(OBS_NIX_PLATFORM_X11_EGL);
  obs_set_nix_platform_display(display);
  if (!obs_startup("en-US", nullptr, nullptr)) return Skip("obs_startup failed");
  obs_video_info video = {};
  video.graphics_module = "libobs-opengl";
  video.fps_num = 30;
  video.fps_den = 1;
  video.base_width = video.output_width = 320;
  video.base_height = video.output_height = 180;
  video.output_format = VIDEO_FORMAT_BGRA;
  video.gpu_conversion = true;
  video.colorspace = VIDEO_CS_SRGB;
  video.range = VIDEO_RANGE_FULL;
  video.scale_type = OBS_SCALE_BICUBIC;
  if (obs_reset_video(&video) != OBS_VIDEO_SUCCESS) return Skip("libobs found no usable graphics (obs_reset_video)");
  // The build's module unless the environment names another (the installed one, say).
  const char* path = std::getenv("FYREL_OBS_MODULE") ? std::getenv("FYREL_OBS_MODULE") : FYREL_OBS_MODULE;
  const char* data = std::getenv("FYREL_OBS_DATA") ? std::getenv("FYREL_OBS_DATA") : FYREL_OBS_DATA;
  obs_module_t* module = nullptr;
  if (obs_open_module(&module, path, data) != MODULE_SUCCESS || !obs_init_module(module)) {
    std::fprintf(stderr, "cannot load %s\n", path);
    return 1;
  }
  RegisterTestSource();
  const RgbaImage letters = DrawDefaultSource();
  RgbaImage ground{letters.width * 2, letters.height * 2, {}};
  for (int32_t y = 0; y < ground.height; ++y)  // the letters over black, opaque
    for (int32_t x = 0; x < ground.width; ++x) {
      const uint8_t* p = &letters.pixels[(size_t(y / 2) * letters.width + x / 2) * 4];
      for (int c = 0; c < 3; ++c) ground.pixels.push_back(uint8_t((p[c] * p[3] + 127) / 255));
      ground.pixels.push_back(255);
    }
  pictures = {Pattern(96, 64, 3), Pattern(80, 48, 5), Pattern(64, 72, 7), Pattern(1920, 1080, 9), ground};
  obs_enter_graphics();
  readTexture = gs_texrender_create(GS_RGBA, GS_ZS_NONE);
  obs_leave_graphics();
  obs_add_main_render_callback(ReadBack, nullptr);
  const int result = RUN_ALL_TESTS();
  obs_remove_main_render_callback(ReadBack, nullptr);
  obs_enter_graphics();
  gs_texrender_destroy(readTexture);
  gs_stagesurface_destroy(readStage);
  obs_leave_graphics();
  obs_shutdown();
  XCloseDisplay(display);
  return result;
}
