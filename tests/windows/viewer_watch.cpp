// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/windows/viewer_watch.h"

#include "tests/windows/gdi_counter.h"
#include "viewer/viewer_dialog.h"

namespace {

ViewerWatch* watching = nullptr;
HHOOK creationHook = nullptr;
WNDPROC dialogProcedure = nullptr;
// Two seconds of paints: ample time for a posted key or click to close the viewer.
constexpr int kPaintsBeforeForcing = 50;

PaintRecord RecordPaint(bool gdiBalanced) {
  const ViewerState& state = viewerState;
  PaintRecord record{GetTickCount(), 0, 0, true, true, gdiBalanced};
  const RECT& rect = state.previewRect;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const std::vector<uint32_t> screen = ReadClientPixels(watching->dialog, rect);
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const uint32_t shown = screen[row * width + column];
      if (shown != 0) ++record.litPixels;
      if (!state.previewBits) {
        if (shown != 0) ++record.wrongPixels;
        continue;
      }
      // The bitmap is bottom-up: the preview's top row is the field's last row.
      const int fieldRow = state.fieldHeight - 1 - row;
      const uint8_t heat = state.previewBits[fieldRow * state.fieldWidth + column];
      const uint8_t* entry = state.previewInfo.colors.entries[heat];
      const uint32_t expected = (uint32_t(entry[2]) << 16) | (uint32_t(entry[1]) << 8) | entry[0];
      if (shown != expected) ++record.wrongPixels;
    }
  }
  if (state.previewBits) {
    const int columns = state.fieldWidth;
    for (int i = 3 * columns; i < columns * state.fieldHeight; ++i) {
      if (state.previewBits[i] != 0) record.seedRowsOnly = false;
    }
    for (int x = 0; x < columns; ++x) {
      const uint8_t v = state.previewBits[x];
      if ((v != 0 && v != 255) || state.previewBits[columns + x] != v ||
          state.previewBits[2 * columns + x] != v) {
        record.seedRowsBanded = false;
      }
    }
  }
  return record;
}

// A click at a point of the screen, through the input queue as a real mouse gives it.
void ClickAt(POINT point) {
  SetCursorPos(point.x, point.y);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

// The close box is wherever the dialog's own hit test says it is.
bool FindCloseBox(HWND dialog, POINT* found) {
  RECT frame;
  GetWindowRect(dialog, &frame);
  POINT clientTop{0, 0};
  ClientToScreen(dialog, &clientTop);
  for (int y = frame.top; y < clientTop.y; ++y) {
    for (int x = frame.right - 1; x > frame.left; --x) {
      if (SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
        *found = {x - 4, y + 4};  // well inside the box, away from its top right corner
        return SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(found->x, found->y)) == HTCLOSE;
      }
    }
  }
  return false;
}

void SendClose(HWND dialog, CloseBy how) {
  HWND closeButton = GetDlgItem(dialog, IDCANCEL);
  switch (how) {
    case CloseBy::kCloseButton: {
      RECT button;
      GetWindowRect(closeButton, &button);
      ClickAt({(button.left + button.right) / 2, (button.top + button.bottom) / 2});
      break;
    }
    case CloseBy::kEscape:
      PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      break;
    case CloseBy::kEnter:
      PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
      break;
    case CloseBy::kCloseBox: {
      POINT box;
      if (FindCloseBox(dialog, &box)) {
        watching->closeBoxClicked = true;
        ClickAt(box);
      } else {
        // No caption drawn to hit: the command the close box sends.
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      break;
    }
    case CloseBy::kIdOk:
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      break;
  }
}

LRESULT CALLBACK WatchDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const GdiCounts before = CurrentGdiCounts();
  const LRESULT result = CallWindowProcA(dialogProcedure, window, message, wParam, lParam);
  if (!watching || window != watching->dialog) return result;
  if (message == WM_PAINT) {
    if (watching->paints.empty()) {
      watching->focusOnClose = GetFocus() == GetDlgItem(window, IDCANCEL);
    }
    if (viewerState.previewBits) watching->fieldSeen = viewerState.previewBits;
    watching->paints.push_back(RecordPaint(GdiBalanced(before, CurrentGdiCounts())));
    const int painted = int(watching->paints.size());
    if (!watching->closeSent && painted >= watching->closeAfterPaints &&
        !(watching->holdOpen && watching->holdOpen(window))) {
      watching->closeSent = true;
      watching->closedAtPaint = painted;
      if (watching->beforeClose) watching->beforeClose(window);
      SendClose(window, watching->closeBy);
    } else if (watching->closeSent && !watching->forcedClose &&
               painted >= watching->closedAtPaint + kPaintsBeforeForcing) {
      // The way under test did not close it: end it another way so the test goes on.
      watching->forcedClose = true;
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
  } else if (message == WM_CLOSE) {
    watching->timerAlreadyKilled = !KillTimer(window, 1);
  }
  return result;
}

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && watching) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770") {
      ++watching->dialogsCreated;
      watching->dialog = window;
      dialogProcedure = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchDialog)));
    }
  }
  return CallNextHookEx(creationHook, code, wParam, lParam);
}

}  // namespace

void WatchNextViewer(ViewerWatch* watch) {
  watching = watch;
  creationHook = SetWindowsHookExA(WH_CBT, WatchCreation, nullptr, GetCurrentThreadId());
}

void FinishWatching() {
  if (creationHook) UnhookWindowsHookEx(creationHook);
  creationHook = nullptr;
  watching = nullptr;
}

std::vector<uint32_t> ReadClientPixels(HWND window, const RECT& rect) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  std::vector<uint32_t> pixels(size_t(width > 0 ? width : 0) * size_t(height > 0 ? height : 0));
  if (pixels.empty()) return pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, section);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const auto* read = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = read[i] & 0x00FFFFFF;
  SelectObject(memory, previous);
  DeleteObject(section);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return pixels;
}
