// SPDX-License-Identifier: GPL-2.0-or-later
// Every Windows binary the packages ship, read as a file: the machine type, the names it
// exports (a host finds its entry points by these names; nothing else may leave the binary),
// and the libraries it imports: the system's own only, and obs.dll for the OBS module, which
// OBS has loaded before any of its modules.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tests/plugin_files/built_pe_file.h"

namespace {

struct Binary {
  const char* name;
  const char* path;
  uint16_t machine;
  std::vector<std::string> exports;  // sorted; empty for programs
  bool usesObs;
};

void PrintTo(const Binary& binary, std::ostream* out) { *out << binary.name; }

const std::vector<std::string> kFrei0rEntries = {
    "f0r_construct",       "f0r_deinit", "f0r_destruct",        "f0r_get_param_info",
    "f0r_get_param_value", "f0r_get_plugin_info", "f0r_init", "f0r_set_param_value",
    "f0r_update",          "f0r_update2"};
// OBS calls obs_module_set_pointer, obs_module_ver and obs_module_load to load a module; the
// rest name it, describe it and give it its locale.
const std::vector<std::string> kObsEntries = {
    "obs_current_module",   "obs_module_description", "obs_module_free_locale",
    "obs_module_get_string", "obs_module_load",        "obs_module_name",
    "obs_module_set_locale", "obs_module_set_pointer", "obs_module_text",
    "obs_module_ver"};

class FrontEndFile : public BuiltPeFileTest<Binary> {};

TEST_P(FrontEndFile, IsForItsMachineAndExportsItsEntryPointsOnly) {
  EXPECT_EQ(file_->Machine(), GetParam().machine);
  std::vector<std::string> exported = file_->ExportedNames();
  std::sort(exported.begin(), exported.end());
  EXPECT_EQ(exported, GetParam().exports);
}

TEST_P(FrontEndFile, ImportsOnlyTheSystemsLibraries) {
  std::vector<std::string> allowed = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"};
  if (GetParam().usesObs) allowed.push_back("obs.dll");
  const std::vector<std::string> imports = file_->ImportedLibraries();
  EXPECT_FALSE(imports.empty());
  for (const std::string& name : imports) {
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end()) << name;
  }
  if (GetParam().usesObs) {
    EXPECT_NE(std::find(imports.begin(), imports.end(), "obs.dll"), imports.end());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Builds, FrontEndFile,
    ::testing::Values(
        Binary{"OpenFX64", FYREL_WIN64_OFX, 0x8664, {"OfxGetNumberOfPlugins", "OfxGetPlugin"}, false},
        Binary{"Frei0r64", FYREL_WIN64_FREI0R, 0x8664, kFrei0rEntries, false},
        Binary{"Obs64", FYREL_WIN64_OBS, 0x8664, kObsEntries, true},
        Binary{"Renderer32", FYREL_WIN32_EXE, 0x14c, {}, false},
        Binary{"Renderer64", FYREL_WIN64_EXE, 0x8664, {}, false}),
    [](const ::testing::TestParamInfo<Binary>& info) { return std::string(info.param.name); });

}  // namespace
