// SPDX-License-Identifier: GPL-2.0-or-later
// Both cross-built plug-ins as files, as the host's scanner finds them: the machine type, the
// one export `main`, no runtime DLLs beside the system's, the property list byte for byte and
// the viewer's dialog template field by field. Read without loading, so the 32-bit plug-in is
// checked on machines that cannot run it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "tests/plugin_files/built_pe_file.h"

namespace {

constexpr uint32_t kEnglishUs = 1033;

// The property list as the host's format lays it out, built from its table.
class PropertyListWriter {
 public:
  void Put16(uint16_t value) {
    bytes_.push_back(value & 0xFF);
    bytes_.push_back(value >> 8);
  }
  void Put32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back((value >> shift) & 0xFF);
  }
  // A four-character constant as a 32-bit little-endian number: its characters lie reversed.
  void PutFourCC(const char* code) {
    Put32((uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
          (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3])));
  }
  // One property: vendor, key, id 0, length, the data, zeros up to a multiple of 4.
  void PutProperty(const char* key, const std::vector<uint8_t>& data, uint32_t length) {
    PutFourCC("8BIM");
    PutFourCC(key);
    Put32(0);
    Put32(length);
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    for (size_t n = data.size(); n % 4 != 0; ++n) bytes_.push_back(0);
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> Padded(std::vector<uint8_t> data, size_t length) {
  data.resize(length, 0);
  return data;
}
std::vector<uint8_t> LengthPrefixed(const std::string& text, size_t length) {
  std::vector<uint8_t> data{static_cast<uint8_t>(text.size())};
  data.insert(data.end(), text.begin(), text.end());
  return Padded(data, length);
}
std::vector<uint8_t> Le32(uint32_t value) {
  return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}
std::vector<uint8_t> TwoLe16(uint16_t first, uint16_t second) {
  return {uint8_t(first), uint8_t(first >> 8), uint8_t(second), uint8_t(second >> 8)};
}

struct Target {
  const char* name;
  const char* path;
  uint16_t machine;
  const char* entryKey;       // the property naming the entry for this machine
  uint16_t interfaceVersion;  // the records the plug-in was built for
};

void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

std::vector<uint8_t> ExpectedPropertyList(const Target& target) {
  PropertyListWriter w;
  w.Put16(1);
  w.Put32(0);
  w.Put32(11);
  w.PutProperty("kind", {'T', 'K', 'F', 'e'}, 4);  // "eFKT", reversed
  w.PutProperty("name", LengthPrefixed("ZEL Fyrel", 12), 12);
  w.PutProperty("catg", LengthPrefixed("ZEL Plug-ins", 16), 16);
  w.PutProperty(target.entryKey, Padded({'m', 'a', 'i', 'n', 0}, 8), 8);
  w.PutProperty("ePVR", TwoLe16(2, 0), 4);
  w.PutProperty("eSVR", TwoLe16(target.interfaceVersion, 0), 4);
  w.PutProperty("eVER", Le32(1115648), 4);
  w.PutProperty("eINF", {0, 0}, 2);
  w.PutProperty("eGLO", Le32(0x468), 4);
  w.PutProperty("eMNA", LengthPrefixed("ZEL Fyrel", 12), 12);
  w.PutProperty("aeFL", Le32(0), 4);
  return w.Bytes();
}

// A reader over a dialog template in the plain (not extended) format.
struct TemplateReader {
  const std::vector<uint8_t>& bytes;
  size_t at = 0;
  uint16_t Word() {
    const uint16_t value = at + 2 <= bytes.size() ? bytes[at] | (bytes[at + 1] << 8) : 0;
    at += 2;
    return value;
  }
  uint32_t Dword() {
    const uint32_t low = Word();
    return low | (uint32_t(Word()) << 16);
  }
  int16_t Short() { return static_cast<int16_t>(Word()); }
  std::string Text() {  // a UTF-16 text of plain ASCII characters
    std::string text;
    for (uint16_t c = Word(); c != 0 && at <= bytes.size(); c = Word()) text += static_cast<char>(c);
    return text;
  }
  void AlignDword() { at = (at + 3) & ~size_t(3); }
};

// Window and control styles as the dialog manager numbers them.
constexpr uint32_t kPopup = 0x80000000, kCaption = 0x00C00000, kSysMenu = 0x00080000;
constexpr uint32_t kModalFrame = 0x80, kSetFont = 0x40;
constexpr uint32_t kChild = 0x40000000, kVisible = 0x10000000, kTabStop = 0x00010000;
constexpr uint32_t kPushButton = 0x0, kGroupBox = 0x7;
constexpr uint16_t kCancel = 2, kPreviewFrame = 666;

class PluginFile : public BuiltPeFileTest<Target> {};

TEST_P(PluginFile, IsAnImageForItsMachineThatExportsOnlyMain) {
  EXPECT_EQ(file_->Machine(), GetParam().machine);
  EXPECT_EQ(file_->ExportedFunctionCount(), 1u);
  EXPECT_EQ(file_->ExportedNames(), std::vector<std::string>{"main"});
}

TEST_P(PluginFile, NeedsOnlyTheSystemsOwnLibraries) {
  const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"};
  const std::vector<std::string> imports = file_->ImportedLibraries();
  EXPECT_FALSE(imports.empty());
  for (const std::string& name : imports) {
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end()) << name;
  }
}

TEST_P(PluginFile, CarriesThePropertyListByteForByte) {
  const std::vector<uint8_t> actual = file_->Resource("PIPL", 16000, kEnglishUs);
  const std::vector<uint8_t> expected = ExpectedPropertyList(GetParam());
  ASSERT_EQ(expected.size(), 262u);
  ASSERT_EQ(actual.size(), 262u);
  const auto difference = std::mismatch(actual.begin(), actual.end(), expected.begin());
  EXPECT_TRUE(difference.first == actual.end())
      << "first difference at byte " << (difference.first - actual.begin());
  // The vendor code's bytes lie reversed, as a little-endian character constant leaves them.
  EXPECT_EQ(std::memcmp(actual.data() + 10, "MIB8dnik", 8), 0);
}

TEST_P(PluginFile, CarriesTheViewersDialogTemplate) {
  const std::vector<uint8_t> bytes = file_->Resource("#5", 777, kEnglishUs);
  ASSERT_GT(bytes.size(), 18u);
  TemplateReader r{bytes};
  EXPECT_EQ(r.Dword(), kPopup | kCaption | kSysMenu | kModalFrame | kSetFont);
  EXPECT_EQ(r.Dword(), 0u);  // no extended style
  EXPECT_EQ(r.Word(), 2);    // two controls
  EXPECT_EQ(r.Short(), 0);
  EXPECT_EQ(r.Short(), 0);
  EXPECT_EQ(r.Short(), 157);
  EXPECT_EQ(r.Short(), 97);
  EXPECT_EQ(r.Word(), 0);  // no menu
  EXPECT_EQ(r.Word(), 0);  // the standard dialog class
  EXPECT_EQ(r.Text(), "Fyrel Set (Only View)");
  EXPECT_EQ(r.Word(), 8);  // points
  EXPECT_EQ(r.Text(), "MS Sans Serif");

  struct Control {
    uint32_t style;
    int16_t x, y, cx, cy;
    uint16_t id;
    const char* text;
  };
  const Control expected[2] = {
      {kChild | kVisible | kTabStop | kPushButton, 103, 15, 50, 14, kCancel, "Close"},
      {kChild | kVisible | kGroupBox, 7, 7, 90, 81, kPreviewFrame, ""},
  };
  for (const Control& control : expected) {
    r.AlignDword();
    ASSERT_LE(r.at + 18, bytes.size());
    EXPECT_EQ(r.Dword(), control.style);
    EXPECT_EQ(r.Dword(), 0u);
    EXPECT_EQ(r.Short(), control.x);
    EXPECT_EQ(r.Short(), control.y);
    EXPECT_EQ(r.Short(), control.cx);
    EXPECT_EQ(r.Short(), control.cy);
    EXPECT_EQ(r.Word(), control.id);
    EXPECT_EQ(r.Word(), 0xFFFF);  // a predefined class by its ordinal:
    EXPECT_EQ(r.Word(), 0x0080);  // the button
    EXPECT_EQ(r.Text(), control.text);
    EXPECT_EQ(r.Word(), 0);  // no creation data
  }
  EXPECT_EQ(r.at, bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    Builds, PluginFile,
    ::testing::Values(Target{"Windows32", FYREL_WIN32_AEX, 0x14c, "wx86", 11},
                      Target{"Windows64", FYREL_WIN64_AEX, 0x8664, "8664", 13}),
    [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

}  // namespace
