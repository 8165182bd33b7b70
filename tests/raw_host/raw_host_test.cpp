// SPDX-License-Identifier: GPL-2.0-or-later
// A host written from the host's offset tables alone: it shares none of the effect's header.
// Its records are byte buffers laid out at the offsets the real host uses (the 32-bit or the
// 64-bit table, by the pointer size this program is built with), every field it does not set
// is filled with a pattern, and every callback slot it does not provide traps. It loads the
// plug-in named on the command line (Fyrel.aex under wine, or the Linux Fyrel.so) and drives
// About, global setup, parameter setup, then two sequences of a real source (sequence setup,
// frame setup and render, setdown: one restarting at frame 1, one with every parameter off its
// default), then global setdown, checking what each command writes at the host's offsets and
// nothing else. The frames of each sequence must have the digest every build gives.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#define HOST_CALL __cdecl
#else
#include <dlfcn.h>
#define HOST_CALL
#endif

#include "tests/raw_host/expected_digests.h"
#include "tests/support/digest.h"
#include "tests/windows/check.h"
#include "tests/windows/wine_path.h"

namespace {

constexpr bool k32 = sizeof(void*) == 4;
constexpr size_t kPtr = sizeof(void*);

// The host's offsets: first the 32-bit host's, then the 64-bit host's.
constexpr size_t At(size_t off32, size_t off64) { return k32 ? off32 : off64; }

namespace in_data {
constexpr size_t kSize = At(274, 408);
constexpr size_t kAddParam = At(8, 16);
constexpr size_t kUtils = At(88, 176);
constexpr size_t kEffectRef = At(92, 184);
constexpr size_t kCurrentTime = At(132, 224);
constexpr size_t kTimeStep = At(136, 228);
constexpr size_t kWidth = At(160, 252);
constexpr size_t kHeight = At(164, 256);
constexpr size_t kSequenceData = At(216, 320);
}  // namespace in_data

namespace inter {
constexpr size_t kFunctionSlots = 9;  // then reserved space
}

namespace utils {
constexpr size_t kSize = At(284, 552);
constexpr size_t kReserved = At(280, 544);  // the last field; every slot before it is a pointer
constexpr size_t kNewHandle = At(84, 160);
constexpr size_t kLockHandle = At(88, 168);
constexpr size_t kUnlockHandle = At(92, 176);
constexpr size_t kDisposeHandle = At(96, 184);
constexpr size_t kSprintf = At(168, 328);
constexpr size_t kStrcpy = At(172, 336);
constexpr size_t kGetPlatformData = At(220, 432);
}  // namespace utils

namespace out_data {
constexpr size_t kSize = At(362, 408);
constexpr size_t kMyVersion = 0;
constexpr size_t kNumParams = At(40, 48);
constexpr size_t kSequenceData = At(44, 56);
constexpr size_t kFlatSdataSize = At(48, 64);
constexpr size_t kOutFlags = At(68, 96);
constexpr size_t kReturnMsg = At(72, 100);
}  // namespace out_data

namespace param {
constexpr size_t kSize = At(148, 176);
constexpr size_t kType = 12;
constexpr size_t kName = 16;
constexpr size_t kUnion = 56;
constexpr size_t kValue = 56;  // the first field of every type part
constexpr size_t kSliderValueStr = 60;
constexpr size_t kSliderValidMin = 124;
constexpr size_t kSliderValidMax = 128;
constexpr size_t kSliderMin = 132;
constexpr size_t kSliderMax = 136;
constexpr size_t kSliderDefault = 140;
constexpr size_t kFixedPrecision = 144;
constexpr size_t kShortDefault = 60;  // angle, colour and check box
constexpr size_t kCheckBoxLabel = 64;
constexpr size_t kLayerData = At(68, 80);
constexpr size_t kLayerRowbytes = At(72, 88);
constexpr size_t kLayerWidth = At(76, 92);
constexpr size_t kLayerHeight = At(80, 96);
}  // namespace param

namespace world {
constexpr size_t kSize = At(76, 120);
constexpr size_t kData = At(12, 24);
constexpr size_t kRowbytes = At(16, 32);
constexpr size_t kWidth = At(20, 36);
constexpr size_t kHeight = At(24, 40);
}  // namespace world

constexpr unsigned char kFill = 0xA5;  // what the host leaves in the fields it does not set
constexpr size_t kGuard = 64;          // pattern bytes after each record, never to be written
// The host's time_step, and where in its frame's time each frame is asked for: the frame index
// is current_time / time_step, truncated, so with a step other than 1 and a time inside the frame
// (not at its start) a frame depends on both fields and on the order of the division.
constexpr int32_t kTicksPerFrame = 100;
constexpr int32_t kTicksIntoFrame = 50;

template <typename T>
void Put(std::vector<unsigned char>& record, size_t at, T value) {
  std::memcpy(record.data() + at, &value, sizeof value);
}
template <typename T>
T Get(const std::vector<unsigned char>& record, size_t at) {
  T value;
  std::memcpy(&value, record.data() + at, sizeof value);
  return value;
}
std::string GetText(const std::vector<unsigned char>& record, size_t at, size_t size) {
  const char* text = reinterpret_cast<const char*>(record.data() + at);
  return std::string(text, strnlen(text, size));
}
std::vector<unsigned char> Record(size_t size) {
  return std::vector<unsigned char>(size + kGuard, kFill);
}

using Entry = int32_t(HOST_CALL*)(int32_t cmd, void* in_data, void* out_data, void** params,
                                  void* output, void* extra);
using HandleSize = std::conditional<k32, uint32_t, uint64_t>::type;

// ---- The host's callbacks ----

struct Host;
Host* host = nullptr;
std::vector<size_t> trapped;  // byte offsets of slots the effect called but the host lacks

struct Host {
  std::vector<unsigned char> inData = Record(in_data::kSize);
  std::vector<unsigned char> outData = Record(out_data::kSize);
  std::vector<unsigned char> utilTable = Record(utils::kSize);
  std::vector<std::vector<unsigned char>> params;  // position 0: the input layer
  std::vector<std::string> labels;
  std::vector<HandleSize> handleSizes;
  int liveHandles = 0;
};

int32_t HOST_CALL AddParam(void* effectRef, int32_t index, void* def) {
  if (effectRef != host || index != -1 || !def) return -1;
  std::vector<unsigned char> copy(static_cast<unsigned char*>(def),
                                  static_cast<unsigned char*>(def) + param::kSize);
  copy.resize(param::kSize + kGuard, kFill);
  if (Get<int32_t>(copy, param::kType) == 4) {  // a check box: its label is the effect's own
    host->labels.push_back(Get<const char*>(copy, param::kCheckBoxLabel));
  }
  host->params.push_back(std::move(copy));
  return 0;
}

int HOST_CALL Sprintf(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(buffer, 256, format, args);
  va_end(args);
  return written;
}

char* HOST_CALL Strcpy(char* dest, const char* src) { return std::strcpy(dest, src); }

int32_t HOST_CALL GetPlatformData(void* effectRef, int32_t which, void* data) {
  if (effectRef != host || which != 0 || !data) return -1;
  *static_cast<void**>(data) = nullptr;  // no main window
  return 0;
}

void** HOST_CALL NewHandle(HandleSize size) {
  host->handleSizes.push_back(size);
  auto* memory = new unsigned char[size];
  std::memset(memory, kFill, size);
  ++host->liveHandles;
  return reinterpret_cast<void**>(new void*(memory));
}
void* HOST_CALL LockHandle(void** handle) { return handle ? *handle : nullptr; }
void HOST_CALL UnlockHandle(void**) {}
void HOST_CALL DisposeHandle(void** handle) {
  if (!handle) return;
  delete[] static_cast<unsigned char*>(*handle);
  delete handle;
  --host->liveHandles;
}

// A slot the host does not provide: notes which one was called.
template <size_t Offset>
void HOST_CALL Trap() {
  trapped.push_back(Offset);
}
using TrapFunction = void(HOST_CALL*)();
template <size_t... Slot>
std::vector<TrapFunction> TrapsFor(std::index_sequence<Slot...>) {
  return {&Trap<Slot * kPtr>...};
}
const std::vector<TrapFunction> kTraps = TrapsFor(std::make_index_sequence<utils::kReserved / kPtr>());

void FillCallbacks(Host& h) {
  for (size_t at = 0; at + kPtr <= utils::kReserved; at += kPtr) Put(h.utilTable, at, kTraps[at / kPtr]);
  Put(h.utilTable, utils::kNewHandle, &NewHandle);
  Put(h.utilTable, utils::kLockHandle, &LockHandle);
  Put(h.utilTable, utils::kUnlockHandle, &UnlockHandle);
  Put(h.utilTable, utils::kDisposeHandle, &DisposeHandle);
  Put(h.utilTable, utils::kSprintf, &Sprintf);
  Put(h.utilTable, utils::kStrcpy, &Strcpy);
  Put(h.utilTable, utils::kGetPlatformData, &GetPlatformData);

  for (size_t slot = 0; slot < inter::kFunctionSlots; ++slot) Put(h.inData, slot * kPtr, kTraps[slot]);
  Put(h.inData, in_data::kAddParam, &AddParam);
  Put(h.inData, in_data::kUtils, h.utilTable.data());
  Put(h.inData, in_data::kEffectRef, static_cast<void*>(&h));
  Put<int32_t>(h.inData, in_data::kTimeStep, kTicksPerFrame);
}

// ---- Checks ----

// Every byte of `after` equals `before` except in the listed [offset, offset + size) ranges.
bool OnlyWritten(const std::vector<unsigned char>& before, const std::vector<unsigned char>& after,
                 std::vector<std::pair<size_t, size_t>> allowed, const char* what) {
  for (size_t i = 0; i < before.size(); ++i) {
    bool inAllowed = false;
    for (const auto& range : allowed) inAllowed = inAllowed || (i >= range.first && i < range.first + range.second);
    if (!inAllowed && before[i] != after[i]) {
      std::printf("  %s: byte %zu changed from 0x%02x to 0x%02x\n", what, i, before[i], after[i]);
      return false;
    }
  }
  return true;
}

struct Definition {
  const char* name;
  int32_t type;
  int32_t value;  // slider value, colour bytes, check box, angle
  int32_t min, max;
};

// The eighteen definitions the effect declares, in order.
const Definition kDefinitions[] = {
    {"Velocity", 1, 45, 1, 100},        {"Height", 1, 13, 0, 255},
    {"Soot", 1, 1, 0, 255},             {"Width", 1, 41, 0, 255},
    {"Amplitude", 1, 12, 0, 255},       {"Alpha", 1, 213, 0, 255},
    {"Color 1", 5, 0, 0, 0},            {"Color 2", 5, 0, 0, 0},
    {"Color 3", 5, 0, 0, 0},            {"Color 4", 5, 0, 0, 0},
    {"Color 2 Position", 1, 85, 0, 255}, {"Color 3 Position", 1, 171, 0, 255},
    {"Custom Color", 4, 0, 0, 0},       {"Birth", 4, 1, 0, 0},
    {"Drop", 4, 1, 0, 0},               {"Invert Source", 4, 1, 0, 0},
    {"Fire Direction", 3, 0, 0, 0},     {"Phase", 2, 0, 0, 0x10000},
};
// Colours as the host stores a pixel: alpha, red, green, blue.
const unsigned char kColorDefaults[4][4] = {
    {255, 255, 255, 255}, {255, 255, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}};

void CheckDefinitions(const Host& h) {
  if (!CHECK_EQ(h.params.size(), 19u)) return;
  int color = 0;
  for (size_t i = 0; i < 18; ++i) {
    const Definition& d = kDefinitions[i];
    const std::vector<unsigned char>& def = h.params[i + 1];
    CHECK_STREQ(GetText(def, param::kName, 32), d.name);
    CHECK_EQ(Get<int32_t>(def, param::kType), d.type);
    CHECK_EQ(Get<int32_t>(def, 0), 0);  // the parameter id
    switch (d.type) {
      case 1:
      case 2:
        CHECK_EQ(Get<int32_t>(def, param::kValue), d.value);
        CHECK_EQ(Get<int32_t>(def, param::kSliderDefault), d.value);
        CHECK_EQ(Get<int32_t>(def, param::kSliderValidMin), d.min);
        CHECK_EQ(Get<int32_t>(def, param::kSliderValidMax), d.max);
        CHECK_EQ(Get<int32_t>(def, param::kSliderMin), d.min);
        CHECK_EQ(Get<int32_t>(def, param::kSliderMax), d.max);
        CHECK_EQ(def[param::kSliderValueStr], 0);
        if (d.type == 2) CHECK_EQ(Get<int16_t>(def, param::kFixedPrecision), 1);
        break;
      case 5:
        CHECK(std::memcmp(def.data() + param::kValue, kColorDefaults[color], 4) == 0);
        CHECK(std::memcmp(def.data() + param::kShortDefault, kColorDefaults[color], 4) == 0);
        ++color;
        break;
      case 4:
        CHECK_EQ(Get<int32_t>(def, param::kValue), d.value);
        CHECK_EQ(def[param::kShortDefault], d.value);
        break;
      case 3:
        CHECK_EQ(Get<int32_t>(def, param::kValue), 0);
        CHECK_EQ(Get<int32_t>(def, param::kShortDefault), 0);
        break;
    }
  }
  CHECK_EQ(h.labels.size(), 4u);
  for (const std::string& label : h.labels) CHECK_STREQ(label, "Add Fire Params");
}

// A real source: a bright disc, a dimmer bar and a few transparent holes, in a padded stride.
std::vector<unsigned char> SourcePixels(int width, int height, int stride) {
  std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height * 4, 0x33);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &pixels[(static_cast<size_t>(y) * stride + x) * 4];
      const int dx = x - width / 2, dy = y - 2 * height / 3;
      const bool disc = dx * dx + dy * dy < (height / 4) * (height / 4);
      const bool bar = y > height - 8 && x > 4 && x < width - 4;
      p[0] = (x * 7 + y * 3) % 11 == 0 ? 0 : 255;
      p[1] = disc ? 250 : bar ? 160 : static_cast<unsigned char>((x * 3) & 0x3F);
      p[2] = disc ? 230 : bar ? 90 : static_cast<unsigned char>((y * 5) & 0x3F);
      p[3] = disc ? 200 : 20;
    }
  }
  return pixels;
}

// A colour parameter's value as the host stores the pixel: alpha, red, green, blue.
constexpr int32_t Pixel(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue) {
  return static_cast<int32_t>(alpha | red << 8 | green << 16 | blue << 24);
}

// Each sequence sets parameter values (position, value) and renders its frames. The first
// restarts at frame 1 after other frames, so that its frames depend on the frame index that
// current_time and time_step give; the second moves every parameter the render reads off its
// default, each to a value its neighbours do not have, so that a value read from another slot
// changes the frames.
struct SequenceRun {
  const char* name;
  std::vector<int32_t> frames;
  std::vector<std::pair<int, int32_t>> values;
};
const SequenceRun kSequences[] = {
    {"restart", {1, 2, 3, 4, 5, 6, 1, 2, 3}, {{14, 0}}},  // "Birth" off
    {"parameters", {1, 2, 3, 4, 5},
     {{1, 80}, {2, 20}, {3, 3}, {4, 60}, {5, 30}, {6, 150},
      {7, Pixel(255, 255, 240, 200)}, {8, Pixel(255, 255, 160, 40)},
      {9, Pixel(200, 150, 20, 60)}, {10, Pixel(0, 10, 0, 30)},
      {11, 60}, {12, 200}, {13, 1}, {14, 0}, {15, 1}, {16, 0}, {17, 135 << 16}, {18, 0x8000}}},
};

// The digest of each sequence's frames, in the order of kSequences; empty when the run could
// not go on.
std::vector<std::string> Run(Entry entry) {
  Host h;
  host = &h;
  FillCallbacks(h);
  h.params.push_back(Record(param::kSize));  // position 0, the input layer, the host's own
  Put<int32_t>(h.params[0], param::kType, 0);
  std::vector<unsigned char> output = Record(world::kSize);
  const auto send = [&](int32_t cmd, bool withParams) {
    std::vector<void*> pointers;
    for (auto& def : h.params) pointers.push_back(def.data());
    return entry(cmd, h.inData.data(), h.outData.data(), withParams ? pointers.data() : nullptr,
                 output.data(), reinterpret_cast<void*>(0x5EC0DE));
  };
  const std::vector<unsigned char> inBefore = h.inData;

  // About: the text in return_msg, nothing else.
  std::vector<unsigned char> before = h.outData;
  CHECK_EQ(send(0, false), 0);
  CHECK_STREQ(GetText(h.outData, out_data::kReturnMsg, 256).substr(0, 16), "ZEL Fyrel, v2.2\r");
  CHECK(OnlyWritten(before, h.outData, {{out_data::kReturnMsg, 256}}, "About, out_data"));

  // Global setup: the version word, and the effect's flags added to the host's own.
  Put<int32_t>(h.outData, out_data::kOutFlags, 0x1);
  before = h.outData;
  CHECK_EQ(send(1, false), 0);
  CHECK_EQ(Get<uint32_t>(h.outData, out_data::kMyVersion), 1115648u);
  CHECK_EQ(Get<int32_t>(h.outData, out_data::kOutFlags), 0x469);
  CHECK(OnlyWritten(before, h.outData, {{out_data::kMyVersion, 4}, {out_data::kOutFlags, 4}},
                    "global setup, out_data"));

  // Parameter setup: eighteen definitions and the count.
  before = h.outData;
  CHECK_EQ(send(4, false), 0);
  CHECK_EQ(Get<int32_t>(h.outData, out_data::kNumParams), 19);
  CHECK(OnlyWritten(before, h.outData, {{out_data::kNumParams, 4}}, "parameter setup, out_data"));
  CheckDefinitions(h);
  if (h.params.size() != 19) return {};

  // Two sequences of a source and an output in a padded stride, each from sequence setup to
  // setdown.
  const int width = 48, height = 36, stride = 51;
  std::vector<unsigned char> source = SourcePixels(width, height, stride);
  std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height * 4);
  Put<void*>(h.params[0], param::kLayerData, source.data());
  Put<int32_t>(h.params[0], param::kLayerRowbytes, stride * 4);
  Put<int32_t>(h.params[0], param::kLayerWidth, width);
  Put<int32_t>(h.params[0], param::kLayerHeight, height);
  Put<void*>(output, world::kData, pixels.data());
  Put<int32_t>(output, world::kRowbytes, stride * 4);
  Put<int32_t>(output, world::kWidth, width);
  Put<int32_t>(output, world::kHeight, height);
  Put<int32_t>(h.inData, in_data::kWidth, width);
  Put<int32_t>(h.inData, in_data::kHeight, height);
  Put<void*>(h.inData, in_data::kSequenceData, nullptr);
  Put<void*>(h.outData, out_data::kSequenceData, nullptr);

  std::vector<std::string> digests;
  for (const SequenceRun& run : kSequences) {
    // Sequence setup: a handle of the record's size, zeroed, and its flat size.
    const HandleSize recordSize = k32 ? 20 : 32;
    const size_t handlesBefore = h.handleSizes.size();
    before = h.outData;
    CHECK_EQ(send(5, false), 0);
    CHECK(h.handleSizes.size() == handlesBefore + 1 && h.handleSizes.back() == recordSize);
    void** sequence = Get<void**>(h.outData, out_data::kSequenceData);
    if (!CHECK(sequence != nullptr)) return {};
    const auto* record = static_cast<const unsigned char*>(*sequence);
    CHECK(std::all_of(record, record + recordSize, [](unsigned char b) { return b == 0; }));
    CHECK_EQ(Get<int32_t>(h.outData, out_data::kFlatSdataSize), static_cast<int32_t>(recordSize));
    CHECK(OnlyWritten(before, h.outData, {{out_data::kSequenceData, kPtr}, {out_data::kFlatSdataSize, 4}},
                      "sequence setup, out_data"));
    Put(h.inData, in_data::kSequenceData, sequence);

    for (const auto& value : run.values) Put<int32_t>(h.params[value.first], param::kValue, value.second);
    const unsigned char kUntouched = 0x5C;
    uint64_t digest = Fnv1a64(nullptr, 0);
    bool lit = false, rowZeroKept = true, paddingKept = true;
    for (int32_t frame : run.frames) {
      Put<int32_t>(h.inData, in_data::kCurrentTime, frame * kTicksPerFrame + kTicksIntoFrame);
      std::fill(pixels.begin(), pixels.end(), kUntouched);
      before = h.outData;
      CHECK_EQ(send(10, true), 0);
      CHECK_EQ(send(11, true), 0);
      CHECK(OnlyWritten(before, h.outData, {}, "frame setup and render, out_data"));
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stride; ++x) {
          const unsigned char* p = &pixels[(static_cast<size_t>(y) * stride + x) * 4];
          const bool kept = p[0] == kUntouched && p[1] == kUntouched && p[2] == kUntouched && p[3] == kUntouched;
          if (y == 0) rowZeroKept = rowZeroKept && kept;
          if (x >= width) paddingKept = paddingKept && kept;
          if (y > 0 && x < width) {
            digest = Fnv1a64(p, 4, digest);
            lit = lit || p[0] != 0;
          }
        }
      }
    }
    CHECK(lit);
    CHECK(rowZeroKept);
    CHECK(paddingKept);
    digests.push_back(DigestHex(digest));

    // Setdown: buffers and handle released, no handle left in out_data.
    CHECK_EQ(send(8, false), 0);
    CHECK(Get<void*>(h.outData, out_data::kSequenceData) == nullptr);
    CHECK_EQ(h.liveHandles, 0);
    Put<void*>(h.inData, in_data::kSequenceData, nullptr);
  }

  // Global setdown: nothing to do, nothing written.
  before = h.outData;
  CHECK_EQ(send(3, false), 0);
  CHECK(OnlyWritten(before, h.outData, {}, "global setdown, out_data"));

  // The effect wrote nothing into in_data, nothing past any record, and called no slot the
  // host does not provide.
  std::vector<unsigned char> inExpected = inBefore;
  for (size_t at : {in_data::kSequenceData, in_data::kCurrentTime, in_data::kWidth, in_data::kHeight}) {
    std::memcpy(inExpected.data() + at, h.inData.data() + at, at == in_data::kSequenceData ? kPtr : 4);
  }
  CHECK(OnlyWritten(inExpected, h.inData, {}, "in_data"));
  for (const auto* r : {&h.inData, &h.outData, &h.utilTable, &output}) {
    CHECK(std::all_of(r->end() - kGuard, r->end(), [](unsigned char b) { return b == kFill; }));
  }
  for (const auto& def : h.params) {
    CHECK(std::all_of(def.end() - kGuard, def.end(), [](unsigned char b) { return b == kFill; }));
  }
  if (!CHECK(trapped.empty())) {
    for (size_t at : trapped) std::printf("  the effect called the callback slot at byte %zu\n", at);
  }
  host = nullptr;
  return digests;
}

Entry LoadEntry(const std::string& path) {
#if defined(_WIN32)
  HMODULE module = LoadLibraryA(WindowsPath(path).c_str());
  if (!module) return nullptr;
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "main")));
#else
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return nullptr;
  return reinterpret_cast<Entry>(dlsym(module, "main"));
#endif
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: %s path/to/plug-in\n", argv[0]);
    return 2;
  }
  const Entry entry = LoadEntry(argv[1]);
  if (!CHECK(entry != nullptr)) {
    std::printf("  cannot load %s or find its `main`\n", argv[1]);
    return check::Summary("raw_host_test");
  }
  const std::vector<std::string> digests = Run(entry);
  if (CHECK_EQ(digests.size(), std::size(kRawHostDigests))) {
    for (size_t i = 0; i < digests.size(); ++i) {
      CHECK_STREQ(kSequences[i].name, kRawHostDigests[i].sequence);
      if (!CHECK_STREQ(digests[i], kRawHostDigests[i].digest)) {
        std::printf("  the %s frames differ from every other build's\n", kSequences[i].name);
      }
      std::printf("%d-bit host layout, %s frames %s\n", k32 ? 32 : 64, kSequences[i].name,
                  digests[i].c_str());
    }
  }
  return check::Summary("raw_host_test");
}
