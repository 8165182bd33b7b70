// SPDX-License-Identifier: GPL-2.0-or-later
// The Options viewer opened for real, as the host opens it: command 9, then command 10, in a
// window of the X display, with the effect linked in and its resources in this program. Every
// opening is watched paint by paint (viewer_watch.h) and closed the way each case says.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "flame/flame_palette.h"
#include "host/effect_main.h"
#include "host/library_load_hook.h"
#include "effect/param_positions.h"
#include "minihost/effect_host.h"
#include "resources/resource_ids.h"
#include "tests/windows/check.h"
#include "tests/windows/gdi_counter.h"
#include "tests/windows/viewer_watch.h"
#include "viewer/viewer_dialog.h"

namespace {

// The launch as global setup makes it, with the dialog's result kept for the test.
INT_PTR lastResult = -100;
int launches = 0;
// A variant of template 777 to open instead, when not empty.
std::vector<uint8_t> templateVariant;
void RecordingLauncher(void* instance, void* owner, const ViewerSettings* settings,
                       FlameState& flame) {
  ++launches;
  if (templateVariant.empty()) {
    lastResult = RunViewerDialog(static_cast<HINSTANCE>(instance), static_cast<HWND>(owner),
                                 settings, flame);
  } else {
    viewerState.flame = &flame;
    lastResult = DialogBoxIndirectParamA(
        static_cast<HINSTANCE>(instance),
        reinterpret_cast<const DLGTEMPLATE*>(templateVariant.data()), static_cast<HWND>(owner),
        ViewerDialogProc, reinterpret_cast<LPARAM>(settings));
    viewerState.flame = nullptr;
  }
}

// Template 777 with the group box `width` dialog units wide, so that the preview comes out at
// widths that are not multiples of 4.
std::vector<uint8_t> TemplateWithFrameWidth(int16_t width) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(VIEWER_DIALOG_ID), MAKEINTRESOURCEA(5));
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(self, found)));
  std::vector<uint8_t> bytes(data, data + SizeofResource(self, found));
  size_t at = 18 + 2 + 2;  // header, no menu, standard class
  auto skipText = [&] {
    while (bytes[at] | bytes[at + 1]) at += 2;
    at += 2;
  };
  skipText();  // caption
  at += 2;     // points
  skipText();  // font
  at = (at + 3) & ~size_t(3);
  at += 18 + 4;  // the Close button: fixed part, class ordinal
  skipText();    // its text
  at += 2;       // no creation data
  at = (at + 3) & ~size_t(3);
  const size_t cx = at + 4 + 4 + 2 + 2;  // the group box: style, extended style, x, y
  bytes[cx] = uint8_t(width);
  bytes[cx + 1] = uint8_t(width >> 8);
  return bytes;
}

std::vector<uint8_t> ParameterBytes(const EffectHost& host) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < host.ParamCount(); ++i) {
    const auto* p = reinterpret_cast<const uint8_t*>(&host.Param(i));
    bytes.insert(bytes.end(), p, p + sizeof(PF_ParamDef));
  }
  return bytes;
}

bool Released(void* field) {
  MEMORY_BASIC_INFORMATION info{};
  return field && VirtualQuery(field, &info, sizeof info) == sizeof info && info.State == MEM_FREE;
}

FlameColorTable ExpectedTable(const EffectHost& host) {
  auto color = [&](const char* name) {
    const PF_Pixel& p = host.Param(host.FindParam(name)).u.cd.value;
    return MakeFlameColor(p.red, p.green, p.blue);
  };
  FlamePalette palette{};
  BuildFlamePalette(palette, color("Color 1"), color("Color 2"), color("Color 3"), color("Color 4"),
                    host.Param(kParamColor2Position).u.sd.value & 0xFF,
                    host.Param(kParamColor3Position).u.sd.value & 0xFF);
  FlameColorTable table{};
  FillFlameColorTable(table, host.Param(kParamCustomColor).u.bd.value & 0xFF, palette);
  return table;
}

// The preview as the dialog should measure it: inside the group box's line and caption.
RECT MeasuredPreview(HWND dialog) {
  RECT box;
  GetWindowRect(GetDlgItem(dialog, VIEWER_PREVIEW_FRAME_ID), &box);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
  return {box.left + 1, box.top + 8, box.right - 2, box.bottom - 1};
}

struct Opening {
  const char* what;
  CloseBy closeBy;
  int expectedResult;
  int paints = 25;
};

// Opens the viewer through commands 9 and 10 and checks what every opening must show.
ViewerWatch OpenAndCheck(EffectHost& host, const Opening& opening) {
  std::printf("viewer: %s\n", opening.what);
  ViewerWatch watch;
  watch.closeBy = opening.closeBy;
  watch.closeAfterPaints = opening.paints;
  RECT measured{};
  bool stateAsMeasured = false, headerRight = false, tableRight = false;
  const FlameColorTable expectedTable = ExpectedTable(host);
  watch.beforeClose = [&](HWND dialog) {
    const ViewerState& s = viewerState;
    measured = MeasuredPreview(dialog);
    stateAsMeasured = EqualRect(&measured, &s.previewRect) &&
                      s.fieldWidth == ((measured.right - measured.left + 3) & ~3) &&
                      s.fieldWidth % 4 == 0 &&
                      s.fieldHeight == measured.bottom - measured.top + 4;
    const BITMAPINFOHEADER& h = s.previewInfo.header;
    headerRight = h.biSize == 40 && h.biWidth == s.fieldWidth && h.biHeight == s.fieldHeight &&
                  h.biPlanes == 1 && h.biBitCount == 8 && h.biCompression == BI_RGB &&
                  h.biSizeImage == 0 && h.biXPelsPerMeter == 0 && h.biYPelsPerMeter == 0 &&
                  h.biClrUsed == 0 && h.biClrImportant == 0;
    tableRight = std::memcmp(&s.previewInfo.colors, &expectedTable, sizeof expectedTable) == 0;
  };

  const std::vector<uint8_t> before = ParameterBytes(host);
  const GdiCounts gdiBefore = CurrentGdiCounts();
  const int launchesBefore = launches;
  lastResult = -100;
  WatchNextViewer(&watch);
  CHECK_EQ(host.Options(), 0);
  CHECK_EQ(host.FrameSetup(), 0);
  FinishWatching();

  const GdiCounts gdiAfter = CurrentGdiCounts();
  CHECK_EQ(launches, launchesBefore + 1);
  CHECK_EQ(watch.dialogsCreated, 1);
  if (!CHECK(int(watch.paints.size()) >= opening.paints)) return watch;
  CHECK(!watch.forcedClose);
  CHECK_EQ(lastResult, opening.expectedResult);
  CHECK(stateAsMeasured);
  CHECK(headerRight);
  CHECK(tableRight);
  CHECK(watch.focusOnClose);
  // Starts cold: the first frame is black and only the seed rows hold heat.
  CHECK_EQ(watch.paints[0].litPixels, 0);
  CHECK(watch.paints[0].seedRowsOnly);
  // What is on the screen is the field through the colour table, at every paint.
  int wrong = 0, unbanded = 0, leaking = 0;
  for (const PaintRecord& paint : watch.paints) {
    wrong += paint.wrongPixels;
    unbanded += paint.seedRowsBanded ? 0 : 1;
    leaking += paint.gdiBalanced ? 0 : 1;
  }
  CHECK_EQ(wrong, 0);
  CHECK_EQ(unbanded, 0);
  // Device contexts and bitmaps live within one paint.
  CHECK_EQ(leaking, 0);
  CHECK(gdiAfter.objectsMade > gdiBefore.objectsMade || !watch.fieldSeen);
  CHECK(GdiBalanced(gdiBefore, gdiAfter));
  // Closed: the timer had been killed, the field released, nothing of the host changed.
  CHECK(watch.timerAlreadyKilled);
  CHECK(viewerState.previewBits == nullptr);
  CHECK(before == ParameterBytes(host));
  if (watch.fieldSeen) CHECK(Released(watch.fieldSeen));
  return watch;
}

void CheckPacing(const ViewerWatch& watch) {
  // The timer alone drives the preview: one paint per 40 ms, not one per idle moment.
  const size_t n = watch.paints.size();
  if (!CHECK(n >= 20)) return;
  const DWORD span = watch.paints[n - 1].time - watch.paints[4].time;
  const double interval = double(span) / double(n - 1 - 4);
  std::printf("  %u paints, %.1f ms apart\n", unsigned(n), interval);
  CHECK(interval >= 30.0);
  CHECK(interval <= 200.0);
}

void CheckLoadHook() {
  HINSTANCE self = GetModuleHandleA(nullptr);
  moduleInstance = nullptr;
  CHECK_EQ(LibraryLoadHook(self, 2, nullptr), 1);  // a thread attaching: nothing kept
  CHECK(moduleInstance == nullptr);
  CHECK_EQ(LibraryLoadHook(self, 1, nullptr), 1);  // the process attaching
  CHECK(moduleInstance == self);
  CHECK_EQ(LibraryLoadHook(nullptr, 0, nullptr), 1);  // detaching keeps it
  CHECK(moduleInstance == self);
}

void* NoPages(size_t) { return nullptr; }

}  // namespace

int main() {
  HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  if (!CHECK(depth >= 24)) {
    std::printf("  the display has %d bits per pixel; run under a 24-bit X display, e.g.\n"
                "  xvfb-run -a -s \"-screen 0 1024x768x24\" ctest ...\n", depth);
    return check::Summary("viewer_test");
  }

  CHECK(CountGdiCalls());
  CheckLoadHook();  // the dialog template comes from this program's resources
  viewerLauncher = RecordingLauncher;

  // The host's main window owns the viewer; the dialog's position is taken from its client
  // area, so it is placed where the whole viewer, caption included, lies on the screen.
  HWND hostWindow = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 120, 90, 400, 300, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
  CHECK(hostWindow != nullptr);
  EffectHost host(EffectMain);
  host.SetMainWindow(hostWindow);
  CHECK_EQ(host.Start(), 0);

  // Built-in palette while "Custom Color" is off, whatever the four colours are.
  host.SetColor("Color 1", 20, 200, 90);
  ViewerWatch first = OpenAndCheck(host, {"built-in palette, closed with Close", CloseBy::kCloseButton, 1, 40});
  if (!first.paints.empty()) CHECK(first.paints.back().litPixels > 0);
  CheckPacing(first);
  CHECK_EQ(int(viewerState.previewInfo.colors.entries[187][kEntryRed]), 252);
  CHECK_EQ(int(viewerState.previewInfo.colors.entries[187][kEntryBlue]), 0);

  // The four colours while it is on: heat 255 is "Color 1".
  host.SetValue("Custom Color", 1);
  host.SetColor("Color 1", 10, 120, 250);
  ViewerWatch custom = OpenAndCheck(host, {"custom colours, closed with Escape", CloseBy::kEscape, 1, 40});
  if (!custom.paints.empty()) CHECK(custom.paints.back().litPixels > 0);
  const uint8_t* hottest = viewerState.previewInfo.colors.entries[255];
  CHECK(hottest[kEntryBlue] == 250 && hottest[kEntryGreen] == 120 && hottest[kEntryRed] == 10 &&
        hottest[kEntryZero] == 0);
  const uint8_t* coldest = viewerState.previewInfo.colors.entries[0];
  CHECK(coldest[0] == 0 && coldest[1] == 0 && coldest[2] == 0 && coldest[3] == 0);

  OpenAndCheck(host, {"closed with Enter on Close", CloseBy::kEnter, 1});
  const ViewerWatch boxed =
      OpenAndCheck(host, {"closed with the caption's close box", CloseBy::kCloseBox, 0});
  std::printf("  %s\n", boxed.closeBoxClicked ? "clicked the close box in the caption"
                                              : "no caption to click: sent its SC_CLOSE");
  OpenAndCheck(host, {"closed by IDOK", CloseBy::kIdOk, 0});

  // "Width" 0 burns as a width of 1 instead of dividing by zero.
  host.SetValue("Custom Color", 0);
  host.SetValue("Width", 0);
  OpenAndCheck(host, {"Width 0", CloseBy::kCloseButton, 1});
  host.SetValue("Width", 41);

  // Previews whose width is not a multiple of 4: the field is rounded up to whole bitmap rows,
  // and what is shown is still the field's rows, unsheared.
  int unaligned = 0;
  for (int16_t frameWidth : {88, 89, 91}) {
    templateVariant = TemplateWithFrameWidth(frameWidth);
    OpenAndCheck(host, {"a narrower preview frame", CloseBy::kCloseButton, 1, 10});
    const int shown = viewerState.previewRect.right - viewerState.previewRect.left;
    std::printf("  preview %d wide, field %d\n", shown, viewerState.fieldWidth);
    if (shown % 4 != 0) ++unaligned;
  }
  templateVariant.clear();
  CHECK(unaligned > 0);

  // Without its field the viewer stays black and still closes as usual.
  const PreviewFieldAllocator pages = previewFieldAllocator;
  previewFieldAllocator = NoPages;
  ViewerWatch starved = OpenAndCheck(host, {"no memory for the field", CloseBy::kCloseButton, 1});
  for (const PaintRecord& paint : starved.paints) CHECK_EQ(paint.litPixels, 0);
  CHECK(starved.fieldSeen == nullptr);
  previewFieldAllocator = pages;

  // A frame setup without an Options request opens nothing.
  const int before = launches;
  CHECK_EQ(host.FrameSetup(), 0);
  CHECK_EQ(launches, before);

  std::printf("preview: rect %ldx%ld at (%ld,%ld), field %dx%d\n",
              viewerState.previewRect.right - viewerState.previewRect.left,
              viewerState.previewRect.bottom - viewerState.previewRect.top,
              viewerState.previewRect.left, viewerState.previewRect.top, viewerState.fieldWidth,
              viewerState.fieldHeight);
  CHECK_EQ(host.Stop(), 0);
  DestroyWindow(hostWindow);
  return check::Summary("viewer_test");
}
