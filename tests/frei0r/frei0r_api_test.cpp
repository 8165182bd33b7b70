// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel.so through the frei0r API, as a host drives it, held byte for byte against the effect
// driven directly through the host of our own. The module carries its own copy of the effect,
// and every filter instance a fire of its own that starts from the state at load, as every
// reference fire does.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fire_reference.h"
#include "frei0r_module.h"
#include "fyrel_version.h"
#include "effect/effect_params.h"

namespace {

constexpr int32_t kWidth = 64, kHeight = 48;

class Filter {
 public:
  Filter(unsigned width = kWidth, unsigned height = kHeight)
      : m_(LoadFrei0rModule()), instance_(m_.error.empty() ? m_.construct(width, height) : nullptr) {}
  ~Filter() {
    if (instance_) m_.destruct(instance_);
  }
  bool Ok() const { return instance_ != nullptr; }

  void Set(const std::string& name, double v) { m_.set_param_value(instance_, &v, Index(name)); }
  double Get(const std::string& name) const {
    double v = -1;
    m_.get_param_value(instance_, &v, Index(name));
    return v;
  }
  void SetColor(const std::string& name, float r, float g, float b) {
    f0r_param_color_t c{r, g, b};
    m_.set_param_value(instance_, &c, Index(name));
  }
  f0r_param_color_t GetColor(const std::string& name) const {
    f0r_param_color_t c{-1, -1, -1};
    m_.get_param_value(instance_, &c, Index(name));
    return c;
  }
  std::vector<uint8_t> Update(double time, const std::vector<uint8_t>& in) {
    std::vector<uint32_t> out(in.size() / 4, 0xDEADBEEFu);  // every byte must be written
    m_.update(instance_, time, reinterpret_cast<const uint32_t*>(in.data()), out.data());
    const auto* bytes = reinterpret_cast<const uint8_t*>(out.data());
    return std::vector<uint8_t>(bytes, bytes + in.size());
  }
  std::vector<uint8_t> Update2(double time, const std::vector<uint8_t>& in) {
    std::vector<uint32_t> out(in.size() / 4, 0xDEADBEEFu);
    m_.update2(instance_, time, reinterpret_cast<const uint32_t*>(in.data()), nullptr, nullptr,
               out.data());
    const auto* bytes = reinterpret_cast<const uint8_t*>(out.data());
    return std::vector<uint8_t>(bytes, bytes + in.size());
  }

  static int Index(const std::string& name) {
    const Frei0rModule& m = LoadFrei0rModule();
    f0r_plugin_info_t info{};
    m.get_plugin_info(&info);
    for (int i = 0; i < info.num_params; ++i) {
      f0r_param_info_t param{};
      m.get_param_info(&param, i);
      if (name == param.name) return i;
    }
    ADD_FAILURE() << "no frei0r parameter " << name;
    return 0;
  }

 private:
  const Frei0rModule& m_;
  f0r_instance_t instance_;
};

class Frei0rApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadFrei0rModule().error, "") << FYREL_FREI0R_MODULE;
  }
};

// Runs the filter at `times` and the effect at `frames`, comparing every frame.
void ExpectSameFrames(Filter& filter, ReferenceFire& reference, const std::vector<double>& times,
                      const std::vector<int32_t>& frames) {
  ASSERT_TRUE(filter.Ok());
  ASSERT_TRUE(reference.Started());
  ASSERT_EQ(times.size(), frames.size());
  for (size_t i = 0; i < times.size(); ++i) {
    const std::vector<uint8_t> source = TestSource(kWidth, kHeight, static_cast<int32_t>(i));
    const std::vector<uint8_t> got = filter.Update(times[i], source);
    const std::vector<uint8_t> want = reference.Render(frames[i], source);
    ASSERT_EQ(got, want) << "update " << i << " at time " << times[i] << ", effect frame "
                         << frames[i];
  }
}

bool HasFire(const std::vector<uint8_t>& rgba) {
  for (size_t i = 3; i < rgba.size(); i += 4) {
    if (rgba[i] != 0) return true;
  }
  return false;
}

const std::vector<std::string> kSliders = {"Velocity", "Height", "Soot", "Width", "Amplitude",
                                           "Alpha", "Color 2 Position", "Color 3 Position"};
const std::vector<std::string> kCheckBoxes = {"Custom Color", "Birth", "Drop", "Invert Source"};
const std::vector<std::string> kColors = {"Color 1", "Color 2", "Color 3", "Color 4"};

TEST_F(Frei0rApiTest, DescribesItselfAsAnRgbaFilter) {
  f0r_plugin_info_t info{};
  LoadFrei0rModule().get_plugin_info(&info);
  EXPECT_STREQ(info.name, "fyrel");
  EXPECT_EQ(info.plugin_type, F0R_PLUGIN_TYPE_FILTER);
  EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_RGBA8888);
  EXPECT_EQ(info.frei0r_version, FREI0R_MAJOR_VERSION);
  EXPECT_EQ(info.major_version, FYREL_VERSION_MAJOR);
  EXPECT_EQ(info.minor_version, FYREL_VERSION_MINOR);
  EXPECT_EQ(info.num_params, kShownParamCount);
  ASSERT_NE(info.explanation, nullptr);
  EXPECT_EQ(std::string(info.explanation).find('\n'), std::string::npos);
  EXPECT_NE(std::string(info.explanation).find("min + round(v*(max-min))"), std::string::npos);
}

TEST_F(Frei0rApiTest, FreshInstanceRendersTheDefaults) {
  Filter filter;
  ReferenceFire reference(kWidth, kHeight);
  ExpectSameFrames(filter, reference, {0, 0.04, 0.08, 0.12, 0.16, 0.2}, {1, 2, 3, 4, 5, 6});
  EXPECT_TRUE(HasFire(filter.Update(0.24, TestSource(kWidth, kHeight, 6))));
  reference.Render(7, TestSource(kWidth, kHeight, 6));
}

// Every value 0 reaches the effect as the bottom of its range, every value 1 as the top.
TEST_F(Frei0rApiTest, LowEndOfEveryRange) {
  Filter filter;
  ReferenceFire reference(kWidth, kHeight);
  for (const std::string& name : kSliders) filter.Set(name, 0.0);
  for (const std::string& name : kCheckBoxes) filter.Set(name, 0.0);
  for (const std::string& name : kColors) filter.SetColor(name, 0, 0, 0);
  filter.Set("Fire Direction", 0.0);
  for (const std::string& name : kSliders) reference.Set({name, name == "Velocity" ? 1 : 0});
  for (const std::string& name : kCheckBoxes) reference.Set({name, 0});
  for (const std::string& name : kColors) reference.Set({name, 0x000000});
  reference.Set({"Fire Direction", 0});
  ExpectSameFrames(filter, reference, {0, 1, 2, 3}, {1, 2, 3, 4});
}

TEST_F(Frei0rApiTest, HighEndOfEveryRange) {
  Filter filter;
  ReferenceFire reference(kWidth, kHeight);
  for (const std::string& name : kSliders) filter.Set(name, 1.0);
  for (const std::string& name : kCheckBoxes) filter.Set(name, 1.0);
  for (const std::string& name : kColors) filter.SetColor(name, 1, 1, 1);
  filter.Set("Fire Direction", 1.0);
  for (const std::string& name : kSliders) reference.Set({name, name == "Velocity" ? 100 : 255});
  for (const std::string& name : kCheckBoxes) reference.Set({name, 1});
  for (const std::string& name : kColors) reference.Set({name, 0xFFFFFF});
  reference.Set({"Fire Direction", 360 << 16});
  ExpectSameFrames(filter, reference, {0, 1, 2, 3}, {1, 2, 3, 4});
}

// A custom palette with distinct channels, a sideways fire and mid-range sliders: a swapped
// colour channel or a misplaced slider shows in the bytes.
TEST_F(Frei0rApiTest, MidRangeValuesAndColoursReachTheEffect) {
  Filter filter;
  ReferenceFire reference(kWidth, kHeight);
  filter.Set("Custom Color", 1.0);
  filter.Set("Birth", 0.0);
  filter.SetColor("Color 1", 1.0f, 0.8f, 0.2f);      // 255, 204, 51
  filter.SetColor("Color 2", 0.1f, 0.9f, 0.5f);      // 26, 229, 128 (0.9f is below 0.9)
  filter.SetColor("Color 3", 0.0f, 0.3f, 1.0f);      // 0, 77, 255
  filter.SetColor("Color 4", 0.5f, 0.25f, 0.75f);    // 128, 64, 191
  filter.Set("Color 2 Position", 0.2);               // 51
  filter.Set("Color 3 Position", 0.7);               // 178.5 → 179
  filter.Set("Velocity", 0.5);                       // 1 + 49.5 → 51
  filter.Set("Width", 0.3);                          // 76.5 → 77
  filter.Set("Alpha", 0.5);                          // 127.5 → 128
  filter.Set("Fire Direction", 0.3);                 // 108 degrees
  reference.Set({"Custom Color", 1});
  reference.Set({"Birth", 0});
  reference.Set({"Color 1", 0xFFCC33});
  reference.Set({"Color 2", 0x1AE580});
  reference.Set({"Color 3", 0x004DFF});
  reference.Set({"Color 4", 0x8040BF});
  reference.Set({"Color 2 Position", 51});
  reference.Set({"Color 3 Position", 179});
  reference.Set({"Velocity", 51});
  reference.Set({"Width", 77});
  reference.Set({"Alpha", 128});
  reference.Set({"Fire Direction", 108 << 16});
  ExpectSameFrames(filter, reference, {0, 1, 2, 3, 4}, {1, 2, 3, 4, 5});
}

// The first update is frame 1, each later one the next; an earlier time than the last
// restarts at frame 1, the same time or a later one does not.
TEST_F(Frei0rApiTest, SeekBackwardsRestartsAtFrameOne) {
  Filter filter;
  ReferenceFire reference(kWidth, kHeight);
  filter.Set("Birth", 0.0);  // a restart runs the warm-up: plain to see in the bytes
  reference.Set({"Birth", 0});
  ExpectSameFrames(filter, reference, {5.0, 5.04, 5.08, 5.08, 5.12, 0.0, 0.04, 0.02, 0.06},
                   {1, 2, 3, 4, 5, 1, 2, 1, 2});
}

TEST_F(Frei0rApiTest, NotANumberTimeNeitherRestartsNorStops) {
  Filter filter;
  ReferenceFire reference(kWidth, kHeight);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ExpectSameFrames(filter, reference, {1.0, nan, 1.1, nan, 0.5}, {1, 2, 3, 4, 1});
}

TEST_F(Frei0rApiTest, SecondEntryRendersLikeTheFirst) {
  Filter filter;
  ReferenceFire reference(kWidth, kHeight);
  ASSERT_TRUE(filter.Ok());
  for (int32_t i = 0; i < 3; ++i) {
    const std::vector<uint8_t> source = TestSource(kWidth, kHeight, i);
    EXPECT_EQ(filter.Update2(i, source), reference.Render(i + 1, source)) << i;
  }
}

// A value set and read back gives the integer the effect keeps, as 0..1; setting that again
// gives the same integer, for every integer of every range.
TEST_F(Frei0rApiTest, EveryIntegerRoundTrips) {
  Filter filter;
  ASSERT_TRUE(filter.Ok());
  for (const std::string& name : kSliders) {
    const int32_t min = name == "Velocity" ? 1 : 0, max = name == "Velocity" ? 100 : 255;
    for (int32_t k = min; k <= max; ++k) {
      filter.Set(name, static_cast<double>(k - min) / (max - min));
      const double got = filter.Get(name);
      EXPECT_EQ(std::lround(got * (max - min)), k - min) << name << " " << k;
      filter.Set(name, got);
      EXPECT_EQ(filter.Get(name), got) << name << " " << k;
    }
  }
  for (int k = 0; k <= 255; ++k) {
    const float c = static_cast<float>(k / 255.0);
    filter.SetColor("Color 3", c, c, c);
    const f0r_param_color_t got = filter.GetColor("Color 3");
    EXPECT_EQ(std::lround(got.r * 255.0), k);
    filter.SetColor("Color 3", got.r, got.g, got.b);
    EXPECT_EQ(filter.GetColor("Color 3").g, got.g);
  }
  for (int degrees = 0; degrees <= 360; ++degrees) {
    filter.Set("Fire Direction", degrees / 360.0);
    EXPECT_EQ(std::lround(filter.Get("Fire Direction") * 360 * 65536), degrees * 65536);
  }
}

// Out of range and infinite values clamp to the range; NaN leaves the value as it was.
TEST_F(Frei0rApiTest, WildValuesClamp) {
  Filter filter;
  ASSERT_TRUE(filter.Ok());
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const float fnan = std::numeric_limits<float>::quiet_NaN();
  filter.Set("Velocity", -3.0);
  EXPECT_EQ(filter.Get("Velocity"), 0.0);
  filter.Set("Velocity", nan);
  EXPECT_EQ(filter.Get("Velocity"), 0.0);
  filter.Set("Fire Direction", inf);
  EXPECT_EQ(filter.Get("Fire Direction"), 1.0);
  filter.Set("Fire Direction", std::numeric_limits<double>::max());
  EXPECT_EQ(filter.Get("Fire Direction"), 1.0);
  filter.Set("Drop", nan);
  EXPECT_EQ(filter.Get("Drop"), 1.0);
  filter.Set("Drop", -inf);
  EXPECT_EQ(filter.Get("Drop"), 0.0);
  filter.Set("Birth", 0.5);
  EXPECT_EQ(filter.Get("Birth"), 1.0);
  filter.SetColor("Color 2", 2.0f, -1.0f, fnan);
  const f0r_param_color_t c = filter.GetColor("Color 2");
  EXPECT_EQ(c.r, 1.0f);
  EXPECT_EQ(c.g, 0.0f);
  EXPECT_EQ(c.b, 0.0f);  // kept: yellow has no blue
  filter.SetColor("Color 3", fnan, fnan, std::numeric_limits<float>::infinity());
  const f0r_param_color_t red = filter.GetColor("Color 3");
  EXPECT_EQ(red.r, 1.0f);
  EXPECT_EQ(red.g, 0.0f);
  EXPECT_EQ(red.b, 1.0f);
}

// The effect's bytes do not depend on the rounding mode a host happens to run in, and the
// host gets its mode back.
TEST_F(Frei0rApiTest, HostRoundingModeChangesNothing) {
  Filter filter;
  ReferenceFire reference(kWidth, kHeight);
  ASSERT_TRUE(filter.Ok());
  // Settings whose bytes do depend on the mode: a custom palette, a low "Alpha", a wide sway.
  const std::vector<EffectSetting> settings = {
      {"Custom Color", 1},   {"Birth", 0},          {"Alpha", 100},        {"Width", 77},
      {"Amplitude", 230},    {"Color 1", 0xFFCC33}, {"Color 2", 0x1AE580}, {"Color 3", 0x004DFF},
      {"Color 4", 0x8040BF}};
  ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
  filter.Set("Custom Color", 1.0);
  filter.Set("Birth", 0.0);
  filter.Set("Alpha", 100.0 / 255.0);
  filter.Set("Width", 77.0 / 255.0);
  filter.Set("Amplitude", 230.0 / 255.0);
  filter.SetColor("Color 1", 1.0f, 0.8f, 0.2f);
  filter.SetColor("Color 2", 0.1f, 0.9f, 0.5f);
  filter.SetColor("Color 3", 0.0f, 0.3f, 1.0f);
  filter.SetColor("Color 4", 0.5f, 0.25f, 0.75f);
  std::vector<std::vector<uint8_t>> got;
  for (int32_t i = 0; i < 4; ++i) got.push_back(filter.Update(i, TestSource(kWidth, kHeight, i)));
  EXPECT_EQ(std::fegetround(), FE_UPWARD);
  std::fesetround(FE_TONEAREST);
  for (const EffectSetting& setting : settings) ASSERT_TRUE(reference.Set(setting));
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(got[i], reference.Render(i + 1, TestSource(kWidth, kHeight, i))) << i;
  }
}

TEST_F(Frei0rApiTest, MissingInputIsTransparent) {
  const Frei0rModule& m = LoadFrei0rModule();
  ReferenceFire reference(kWidth, kHeight);
  f0r_instance_t instance = m.construct(kWidth, kHeight);
  ASSERT_NE(instance, nullptr);
  std::vector<uint8_t> got(static_cast<size_t>(kWidth) * kHeight * 4, 0xAB);
  m.update(instance, 0, nullptr, reinterpret_cast<uint32_t*>(got.data()));
  m.update(instance, 1, nullptr, nullptr);  // nowhere to write: nothing happens
  m.destruct(instance);
  EXPECT_EQ(got, reference.Render(1, std::vector<uint8_t>(got.size(), 0)));
  m.update(nullptr, 0, nullptr, reinterpret_cast<uint32_t*>(got.data()));  // no instance
}

TEST_F(Frei0rApiTest, UnusableFrameSizesAreRefused) {
  const Frei0rModule& m = LoadFrei0rModule();
  EXPECT_EQ(m.construct(0, kHeight), nullptr);
  EXPECT_EQ(m.construct(kWidth, 0), nullptr);
  EXPECT_EQ(m.construct(1u << 20, 8), nullptr);
  m.destruct(nullptr);
  double v = 0.25;
  m.set_param_value(nullptr, &v, 0);
  m.get_param_value(nullptr, &v, 0);
  EXPECT_EQ(v, 0.25);
  // Unknown parameter indices are ignored.
  f0r_instance_t instance = m.construct(8, 8);
  ASSERT_NE(instance, nullptr);
  m.set_param_value(instance, &v, 17);
  m.set_param_value(instance, &v, -1);
  m.get_param_value(instance, &v, 99);
  EXPECT_EQ(v, 0.25);
  m.destruct(instance);
  f0r_param_info_t info{"untouched", 99, nullptr};
  m.get_param_info(&info, 17);
  EXPECT_STREQ(info.name, "untouched");
}

// A second fire: another size, every setting away from the first's defaults.
constexpr int32_t kOtherWidth = 40, kOtherHeight = 56;
const std::vector<EffectSetting> kOtherSettings = {
    {"Velocity", 90}, {"Height", 30},  {"Width", 70},         {"Custom Color", 1},
    {"Birth", 0},     {"Invert Source", 0}, {"Color 1", 0x40FFC0}, {"Fire Direction", 300 << 16}};

void SetOtherSettings(Filter& filter) {
  filter.Set("Velocity", 89.0 / 99.0);
  filter.Set("Height", 30.0 / 255.0);
  filter.Set("Width", 70.0 / 255.0);
  filter.Set("Custom Color", 1.0);
  filter.Set("Birth", 0.0);
  filter.Set("Invert Source", 0.0);
  filter.SetColor("Color 1", 0x40 / 255.0f, 1.0f, 0xC0 / 255.0f);
  filter.Set("Fire Direction", 300.0 / 360.0);
}

// Frames 1 .. count of a fire alone from the state at load: what each instance must give
// whatever else runs beside it.
std::vector<std::vector<uint8_t>> SoloFrames(int32_t width, int32_t height,
                                             const std::vector<EffectSetting>& settings,
                                             int32_t count) {
  ReferenceFire reference(width, height);
  for (const EffectSetting& setting : settings) EXPECT_TRUE(reference.Set(setting)) << setting.first;
  std::vector<std::vector<uint8_t>> frames;
  for (int32_t i = 0; i < count; ++i) {
    frames.push_back(reference.Render(i + 1, TestSource(width, height, i)));
  }
  return frames;
}

// Two instances updated in turn, the second made after the first has run and the first gone
// before the second ends, each give their solo frames: neither moves the other's fire.
TEST_F(Frei0rApiTest, InterleavedInstancesEachGiveTheirSoloFrames) {
  constexpr int32_t kFrames = 10, kSecondFrom = 3, kFirstUntil = 8;
  const auto firstSolo = SoloFrames(kWidth, kHeight, {}, kFirstUntil);
  const auto secondSolo = SoloFrames(kOtherWidth, kOtherHeight, kOtherSettings, kFrames - kSecondFrom);
  auto first = std::make_unique<Filter>();
  std::unique_ptr<Filter> second;
  ASSERT_TRUE(first->Ok());
  for (int32_t i = 0; i < kFrames; ++i) {
    if (i == kSecondFrom) {
      second = std::make_unique<Filter>(kOtherWidth, kOtherHeight);
      ASSERT_TRUE(second->Ok());
      SetOtherSettings(*second);
    }
    if (i == kFirstUntil) first.reset();
    if (first) {
      ASSERT_EQ(first->Update(i, TestSource(kWidth, kHeight, i)), firstSolo[i]) << "first, update " << i;
    }
    if (second) {
      const int32_t j = i - kSecondFrom;
      ASSERT_EQ(second->Update(j, TestSource(kOtherWidth, kOtherHeight, j)), secondSolo[j])
          << "second, update " << j;
    }
  }
}

// Instances driven from two threads at once, as MLT does, still give their solo frames.
TEST_F(Frei0rApiTest, InstancesOnTwoThreadsEachGiveTheirSoloFrames) {
  constexpr int32_t kFrames = 12;
  const auto firstSolo = SoloFrames(kWidth, kHeight, {}, kFrames);
  const auto secondSolo = SoloFrames(kOtherWidth, kOtherHeight, kOtherSettings, kFrames);
  Filter first, second(kOtherWidth, kOtherHeight);
  ASSERT_TRUE(first.Ok());
  ASSERT_TRUE(second.Ok());
  SetOtherSettings(second);
  std::vector<std::vector<uint8_t>> firstGot, secondGot;
  auto run = [](Filter& filter, int32_t width, int32_t height,
                std::vector<std::vector<uint8_t>>& got) {
    for (int32_t i = 0; i < kFrames; ++i) got.push_back(filter.Update(i, TestSource(width, height, i)));
  };
  std::thread a(run, std::ref(first), kWidth, kHeight, std::ref(firstGot));
  std::thread b(run, std::ref(second), kOtherWidth, kOtherHeight, std::ref(secondGot));
  a.join();
  b.join();
  for (int32_t i = 0; i < kFrames; ++i) {
    EXPECT_EQ(firstGot[i], firstSolo[i]) << "first, update " << i;
    EXPECT_EQ(secondGot[i], secondSolo[i]) << "second, update " << i;
  }
}

}  // namespace
