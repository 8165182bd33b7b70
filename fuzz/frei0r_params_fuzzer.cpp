// SPDX-License-Identifier: GPL-2.0-or-later
// fyrel.so's frei0r entry points on any parameter values a host can pass: doubles and colour
// components of every kind (NaN, infinities, out of range, subnormal), for any parameter index,
// between frames of any size the filter accepts and any time. Each value goes in the type the
// parameter's own info names, as frei0r hosts do. Besides the sanitizers' checks: a value read
// back is in frei0r's 0..1 range, and setting it again reads back the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "frei0r/frei0r_api.h"

namespace {

constexpr unsigned kMaxSide = 40;
constexpr int kMaxCalls = 64;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool InUnitRange(double v) { return v >= 0.0 && v <= 1.0; }

double AnyDouble(FuzzedDataProvider& in) {
  static const double kSpecial[] = {
      0.0, -0.0, 1.0, 0.5, 0.49999999999999994, -1.0, 2.0, 1e308, -1e308,
      std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::epsilon()};
  if (in.ConsumeBool()) return in.PickValueInArray(kSpecial);
  const uint64_t bits = in.ConsumeIntegral<uint64_t>();
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

float AnyFloat(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return static_cast<float>(AnyDouble(in));
  const uint32_t bits = in.ConsumeIntegral<uint32_t>();
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void SetAndCheck(FuzzedDataProvider& in, f0r_instance_t instance, int index, int type) {
  if (type == F0R_PARAM_COLOR) {
    f0r_param_color_t color{AnyFloat(in), AnyFloat(in), AnyFloat(in)};
    f0r_set_param_value(instance, &color, index);
    f0r_param_color_t got{-1, -1, -1};
    f0r_get_param_value(instance, &got, index);
    Check(InUnitRange(got.r) && InUnitRange(got.g) && InUnitRange(got.b));
    f0r_set_param_value(instance, &got, index);
    f0r_param_color_t again{-1, -1, -1};
    f0r_get_param_value(instance, &again, index);
    Check(again.r == got.r && again.g == got.g && again.b == got.b);
  } else {
    double value = AnyDouble(in);
    f0r_set_param_value(instance, &value, index);
    double got = -1;
    f0r_get_param_value(instance, &got, index);
    Check(InUnitRange(got));
    f0r_set_param_value(instance, &got, index);
    double again = -1;
    f0r_get_param_value(instance, &again, index);
    Check(again == got);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  f0r_init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  f0r_plugin_info_t info{};
  f0r_get_plugin_info(&info);

  const unsigned width = in.ConsumeIntegralInRange<unsigned>(0, kMaxSide);
  const unsigned height = in.ConsumeIntegralInRange<unsigned>(0, kMaxSide);
  f0r_instance_t instance = f0r_construct(width, height);
  Check((instance != nullptr) == (width > 0 && height > 0));
  if (!instance) return 0;

  const size_t pixels = static_cast<size_t>(width) * height;
  std::vector<uint32_t> input(pixels), output(pixels);
  for (int n = 0; n < kMaxCalls && in.remaining_bytes() > 0; ++n) {
    if (in.ConsumeIntegralInRange(0, 3) == 0) {
      const uint32_t fill = in.ConsumeIntegral<uint32_t>();
      for (size_t i = 0; i < pixels; ++i) input[i] = fill ^ static_cast<uint32_t>(i * 0x9E3779B9u);
      const double time = AnyDouble(in);
      if (in.ConsumeBool()) {
        f0r_update(instance, time, input.data(), output.data());
      } else {
        f0r_update2(instance, time, input.data(), nullptr, nullptr, output.data());
      }
      continue;
    }
    // Indices past either end are asked for too: the filter must ignore them.
    const int index = in.ConsumeIntegralInRange(-2, info.num_params + 1);
    if (index < 0 || index >= info.num_params) {
      double unused[4] = {0.5, 0.5, 0.5, 0.5};
      f0r_set_param_value(instance, unused, index);
      f0r_get_param_value(instance, unused, index);
      f0r_param_info_t none{};
      f0r_get_param_info(&none, index);
      continue;
    }
    f0r_param_info_t param{};
    f0r_get_param_info(&param, index);
    Check(param.name != nullptr);
    SetAndCheck(in, instance, index, param.type);
  }
  f0r_destruct(instance);
  return 0;
}
