// SPDX-License-Identifier: GPL-2.0-or-later
// Drives the Windows plug-in through the host of our own as the host drives it: global and
// parameter setup, a sequence rendered, flattened, set up again and set down, the About text,
// and the Options viewer opened from the plug-in's own dialog template by commands 9 and 10.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "minihost/effect_host.h"
#include "tests/windows/check.h"
#include "tests/windows/plugin_argument.h"

namespace {

HWND openedViewer = nullptr;
int viewersOpened = 0;
HWND viewerOwner = nullptr;
std::string viewerCaption;

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    char name[64] = "";
    GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
    if (std::string(name) == "#32770") {
      openedViewer = reinterpret_cast<HWND>(wParam);
      ++viewersOpened;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs from the viewer's modal loop: notes what opened, then presses Close.
void CALLBACK CloseOpenedViewer(HWND, UINT, UINT_PTR, DWORD) {
  if (!openedViewer || !IsWindow(openedViewer)) return;
  char caption[64] = "";
  GetWindowTextA(openedViewer, caption, sizeof caption);
  viewerCaption = caption;
  viewerOwner = GetWindow(openedViewer, GW_OWNER);
  PostMessageA(openedViewer, WM_COMMAND, IDCANCEL, 0);
  openedViewer = nullptr;
}

bool AnyPixelLit(const EffectHost& host) {
  return std::any_of(host.Output().begin(), host.Output().end(),
                     [](const PF_Pixel& p) { return p.alpha != 0; });
}

std::vector<PF_Pixel> Source(int width, int height) {
  std::vector<PF_Pixel> pixels(width * height, PF_Pixel{255, 0, 0, 0});
  for (int y = height / 2; y < height; ++y) {
    for (int x = width / 4; x < 3 * width / 4; ++x) pixels[y * width + x] = PF_Pixel{255, 250, 250, 250};
  }
  return pixels;
}

void CheckLifecycle(PF_EffectEntry entry, HWND hostWindow) {
  EffectHost host(entry);
  host.SetMainWindow(hostWindow);

  std::string about;
  CHECK_EQ(host.About(&about), 0);
  CHECK_STREQ(about.substr(0, 16), "ZEL Fyrel, v2.2\r");

  CHECK_EQ(host.GlobalSetup(), 0);
  CHECK_EQ(host.OutData().my_version, 0x110600u);
  CHECK_EQ(host.OutData().out_flags & 0x468u, 0x468u);
  CHECK_EQ(host.ParamsSetup(), 0);
  CHECK_EQ(host.OutData().num_params, 19);
  CHECK_EQ(host.ParamCount(), 19);
  CHECK_EQ(host.FindParam("Fire Direction"), 17);

  CHECK_EQ(host.SequenceSetup(), 0);
  CHECK(host.SequenceHandle() != nullptr);
  CHECK_EQ(host.OutData().flat_sdata_size, sizeof(void*) == 4 ? 20 : 32);
  CHECK_EQ(host.LiveHandles(), 1);

  const int width = 40, height = 30;
  const std::vector<PF_Pixel> source = Source(width, height);
  host.SetFrame(width, height);
  host.SetInput(source.data(), width, height);
  host.SetValue("Birth", 0);  // the fire is burning from the first frame
  for (int frame = 1; frame <= 8; ++frame) CHECK_EQ(host.Render(frame), 0);
  CHECK(AnyPixelLit(host));

  // Flatten hands the host no data; the resetup after it starts a fresh, empty record.
  CHECK_EQ(host.SequenceFlatten(), 0);
  CHECK(host.SequenceHandle() == nullptr);
  CHECK_EQ(host.LiveHandles(), 0);
  CHECK_EQ(host.SequenceResetup(), 0);
  CHECK(host.SequenceHandle() != nullptr);
  CHECK_EQ(host.LiveHandles(), 1);
  PF_Handle kept = host.SequenceHandle();
  CHECK_EQ(host.SequenceResetup(), 0);  // with data present it keeps the record
  CHECK(host.SequenceHandle() == kept);
  CHECK_EQ(host.Render(9), 0);
  CHECK_EQ(host.Render(10), 0);

  CHECK_EQ(host.Send(2), 0);
  CHECK_EQ(host.Send(12), 0);

  // Options arms the viewer; the next frame setup opens it from the plug-in's own template
  // (found through the instance the load hook kept), owned by the host's main window.
  HHOOK hook = SetWindowsHookExA(WH_CBT, WatchCreation, nullptr, GetCurrentThreadId());
  CHECK(hook != nullptr);
  UINT_PTR timer = SetTimer(nullptr, 0, 200, CloseOpenedViewer);
  CHECK_EQ(host.Options(), 0);
  CHECK_EQ(host.Options(), 0);
  CHECK_EQ(host.FrameSetup(), 0);
  CHECK_EQ(viewersOpened, 1);
  CHECK_STREQ(viewerCaption, "Fyrel Set (Only View)");
  CHECK(viewerOwner == hostWindow);
  CHECK_EQ(host.FrameSetup(), 0);  // consumed: no second viewer
  CHECK_EQ(viewersOpened, 1);
  KillTimer(nullptr, timer);
  UnhookWindowsHookEx(hook);

  CHECK_EQ(host.Render(11), 0);
  CHECK_EQ(host.SequenceSetdown(), 0);
  CHECK(host.SequenceHandle() == nullptr);
  CHECK_EQ(host.LiveHandles(), 0);
  CHECK_EQ(host.SequenceSetdown(), 0);  // nothing left to set down
  CHECK_EQ(host.GlobalSetdown(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  int exitCode = 0;
  PF_EffectEntry entry = LoadPluginArgument(argc, argv, "aex_lifecycle_test", &exitCode);
  if (!entry) return exitCode;
  // Stands in for the host's main window, which owns the viewer.
  HWND hostWindow = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
  CHECK(hostWindow != nullptr);
  CheckLifecycle(entry, hostWindow);
  DestroyWindow(hostWindow);
  return check::Summary("aex_lifecycle_test");
}
