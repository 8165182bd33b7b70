// SPDX-License-Identifier: GPL-2.0-or-later
// Opens the Options viewer through commands 9 and 10 and holds it open, burning, while the
// X screen is grabbed (viewer_screenshot.sh): it writes <dir>/viewer-open.txt with the
// viewer's place on the screen and closes once <dir>/viewer-grabbed exists.
#include <windows.h>

#include <cstdio>
#include <string>

#include "host/effect_main.h"
#include "host/library_load_hook.h"
#include "minihost/effect_host.h"
#include "tests/windows/check.h"
#include "tests/windows/viewer_watch.h"
#include "tests/windows/wine_path.h"

namespace {

constexpr DWORD kGrabWaitMs = 30000;

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: %s output-directory\n", argv[0]);
    return 2;
  }
  const std::string dir = WindowsPath(argv[1]);
  const std::string openMarker = dir + "\\viewer-open.txt";
  const std::string grabbedMarker = dir + "\\viewer-grabbed";
  DeleteFileA(grabbedMarker.c_str());

  LibraryLoadHook(GetModuleHandleA(nullptr), 1, nullptr);
  HWND hostWindow = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 40, 40, 400, 300, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
  EffectHost host(EffectMain);
  host.SetMainWindow(hostWindow);
  CHECK_EQ(host.Start(), 0);

  DWORD announced = 0;
  bool grabbed = false;
  ViewerWatch watch;
  watch.closeAfterPaints = 60;  // the fire has risen by then
  watch.holdOpen = [&](HWND dialog) {
    if (!announced) {
      RECT frame;
      GetWindowRect(dialog, &frame);
      if (FILE* file = std::fopen(openMarker.c_str(), "w")) {
        std::fprintf(file, "%ld %ld %ld %ld\n", frame.right - frame.left,
                     frame.bottom - frame.top, frame.left, frame.top);
        std::fclose(file);
      }
      announced = GetTickCount();
    }
    grabbed = FileExists(grabbedMarker);
    return !grabbed && GetTickCount() - announced < kGrabWaitMs;
  };
  WatchNextViewer(&watch);
  CHECK_EQ(host.Options(), 0);
  CHECK_EQ(host.FrameSetup(), 0);
  FinishWatching();

  CHECK_EQ(watch.dialogsCreated, 1);
  CHECK(grabbed);
  CHECK(!watch.forcedClose);
  CHECK(!watch.paints.empty() && watch.paints.back().litPixels > 0);
  CHECK_EQ(host.Stop(), 0);
  DestroyWindow(hostWindow);
  return check::Summary("viewer_screenshot");
}
