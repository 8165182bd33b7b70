// Loads the built Fyrel.aex as the host would and checks what the host finds in it: the one
// export `main`, no runtime DLLs beside the system's, the property list byte for byte, the
// viewer's dialog template field by field, and global setup agreeing with the property list.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "minihost/effect_host.h"
#include "tests/windows/check.h"
#include "tests/windows/wine_path.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 1033

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

std::vector<uint8_t> ExpectedPropertyList() {
  PropertyListWriter w;
  w.Put16(1);
  w.Put32(0);
  w.Put32(11);
  w.PutProperty("kind", {'T', 'K', 'F', 'e'}, 4);  // "eFKT", reversed
  w.PutProperty("name", LengthPrefixed("ZEL Fyrel", 12), 12);
  w.PutProperty("catg", LengthPrefixed("ZEL Plug-ins", 16), 16);
  w.PutProperty("wx86", Padded({'m', 'a', 'i', 'n', 0}, 8), 8);
  w.PutProperty("ePVR", TwoLe16(2, 0), 4);
  w.PutProperty("eSVR", TwoLe16(11, 0), 4);
  w.PutProperty("eVER", Le32(1115648), 4);
  w.PutProperty("eINF", {0, 0}, 2);
  w.PutProperty("eGLO", Le32(0x468), 4);
  w.PutProperty("eMNA", LengthPrefixed("ZEL Fyrel", 12), 12);
  w.PutProperty("aeFL", Le32(0), 4);
  return w.Bytes();
}

std::vector<uint8_t> ResourceBytes(HMODULE module, const char* type, int id) {
  HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kEnglishUs);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
  if (!data) return {};
  return std::vector<uint8_t>(data, data + SizeofResource(module, found));
}

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

void CheckPropertyList(HMODULE module) {
  const std::vector<uint8_t> actual = ResourceBytes(module, "PIPL", 16000);
  const std::vector<uint8_t> expected = ExpectedPropertyList();
  CHECK_EQ(expected.size(), 262u);
  CHECK_EQ(actual.size(), 262u);
  if (actual.size() != expected.size()) return;
  const auto difference = std::mismatch(actual.begin(), actual.end(), expected.begin());
  if (!CHECK(difference.first == actual.end())) {
    std::printf("  first difference at byte %d: 0x%02x, expected 0x%02x\n",
                int(difference.first - actual.begin()), *difference.first, *difference.second);
  }
  // The vendor code's bytes lie reversed, as a little-endian character constant leaves them.
  CHECK(std::memcmp(actual.data() + 10, "MIB8dnik", 8) == 0);
}

// A reader over a dialog template in the plain (not extended) format.
struct TemplateReader {
  const std::vector<uint8_t>& bytes;
  size_t at = 0;
  uint16_t Word() {
    const uint16_t value = bytes[at] | (bytes[at + 1] << 8);
    at += 2;
    return value;
  }
  uint32_t Dword() {
    const uint32_t value = Read32(bytes, at);
    at += 4;
    return value;
  }
  int16_t Short() { return static_cast<int16_t>(Word()); }
  std::string Text() {  // a UTF-16 text of plain ASCII characters
    std::string text;
    for (uint16_t c = Word(); c != 0; c = Word()) text += static_cast<char>(c);
    return text;
  }
  void AlignDword() { at = (at + 3) & ~size_t(3); }
};

void CheckDialogTemplate(HMODULE module) {
  const std::vector<uint8_t> bytes = ResourceBytes(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, 777);
  if (!CHECK(bytes.size() > 18)) return;
  TemplateReader r{bytes};
  CHECK_EQ(r.Dword(), uint32_t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  CHECK_EQ(r.Dword(), 0u);  // no extended style
  CHECK_EQ(r.Word(), 2);    // two controls
  CHECK_EQ(r.Short(), 0);
  CHECK_EQ(r.Short(), 0);
  CHECK_EQ(r.Short(), 157);
  CHECK_EQ(r.Short(), 97);
  CHECK_EQ(r.Word(), 0);  // no menu
  CHECK_EQ(r.Word(), 0);  // the standard dialog class
  CHECK_STREQ(r.Text(), "Fyrel Set (Only View)");
  CHECK_EQ(r.Word(), 8);  // points
  CHECK_STREQ(r.Text(), "MS Sans Serif");

  struct Control {
    uint32_t style;
    int16_t x, y, cx, cy;
    uint16_t id;
    const char* text;
  };
  const Control expected[2] = {
      {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 103, 15, 50, 14, IDCANCEL, "Close"},
      {WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 7, 7, 90, 81, 666, ""},
  };
  for (const Control& control : expected) {
    r.AlignDword();
    if (!CHECK(r.at + 18 <= bytes.size())) return;
    CHECK_EQ(r.Dword(), control.style);
    CHECK_EQ(r.Dword(), 0u);
    CHECK_EQ(r.Short(), control.x);
    CHECK_EQ(r.Short(), control.y);
    CHECK_EQ(r.Short(), control.cx);
    CHECK_EQ(r.Short(), control.cy);
    CHECK_EQ(r.Word(), control.id);
    CHECK_EQ(r.Word(), 0xFFFF);  // a predefined class by its ordinal:
    CHECK_EQ(r.Word(), 0x0080);  // the button
    CHECK_STREQ(r.Text(), control.text);
    CHECK_EQ(r.Word(), 0);  // no creation data
  }
  CHECK_EQ(r.at, bytes.size());
}

const IMAGE_NT_HEADERS32* NtHeaders(HMODULE module) {
  const auto* base = reinterpret_cast<const uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
}

// The host finds the effect by `main` alone; nothing else is exported.
void CheckExports(HMODULE module) {
  CHECK(GetProcAddress(module, "main") != nullptr);
  CHECK(GetProcAddress(module, "EffectMain") == nullptr);
  const auto* base = reinterpret_cast<const uint8_t*>(module);
  const IMAGE_DATA_DIRECTORY& dir =
      NtHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (!CHECK(dir.VirtualAddress != 0)) return;
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  CHECK_EQ(exports->NumberOfFunctions, 1u);
  CHECK_EQ(exports->NumberOfNames, 1u);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  CHECK_STREQ(reinterpret_cast<const char*>(base + names[0]), "main");
}

// The plug-in is a 32-bit x86 image that needs only the system's own DLLs.
void CheckImports(HMODULE module) {
  CHECK_EQ(NtHeaders(module)->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  const auto* base = reinterpret_cast<const uint8_t*>(module);
  const IMAGE_DATA_DIRECTORY& dir =
      NtHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const std::string allowed[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"};
  int count = 0;
  for (const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       dir.VirtualAddress && entry->Name; ++entry, ++count) {
    std::string name = reinterpret_cast<const char*>(base + entry->Name);
    for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    bool known = false;
    for (const std::string& a : allowed) known = known || name == a;
    if (!CHECK(known)) std::printf("  unexpected import %s\n", name.c_str());
  }
  CHECK(count > 0);
}

// Global setup reports the version word and the out-flags the property list carries.
void CheckGlobalSetupAgrees(const std::string& path) {
  std::string error;
  PF_EffectEntry entry = LoadEffectPlugin(path, &error);
  if (!CHECK(entry != nullptr)) return;
  EffectHost host(entry);
  host.OutData().out_flags = 0x1;  // a bit of the host's own stays set
  CHECK_EQ(host.GlobalSetup(), 0);
  CHECK_EQ(host.OutData().my_version, 1115648u);
  CHECK_EQ(host.OutData().out_flags, 0x469u);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: %s path/to/Fyrel.aex\n", argv[0]);
    return 2;
  }
  const std::string path = WindowsPath(argv[1]);
  HMODULE module = LoadLibraryA(path.c_str());
  if (!CHECK(module != nullptr)) {
    std::printf("  cannot load %s (error %lu)\n", path.c_str(), GetLastError());
    return check::Summary("aex_resources_test");
  }
  CheckExports(module);
  CheckImports(module);
  CheckPropertyList(module);
  CheckDialogTemplate(module);
  CheckGlobalSetupAgrees(path);
  FreeLibrary(module);
  return check::Summary("aex_resources_test");
}
