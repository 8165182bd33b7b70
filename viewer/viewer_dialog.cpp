// SPDX-License-Identifier: GPL-2.0-or-later
// The Options viewer: a modal dialog that shows a live preview flame made from the values it
// was opened with, and changes nothing.
#include "viewer/viewer_dialog.h"

#include "flame/page_memory.h"
#include "flame/preview_step.h"
#include "resources/resource_ids.h"

ViewerState viewerState;
PreviewFieldAllocator previewFieldAllocator = AllocatePages;

namespace {

constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewPeriodMs = 40;
// The preview's inset within the group box: clear of its line and of its caption's height.
constexpr LONG kInsetLeft = 1, kInsetTop = 8, kInsetRight = 2, kInsetBottom = 1;

void CopySettingsIn(ViewerState& state, const ViewerSettings& settings) {
  state.height = *settings.height;
  state.soot = *settings.soot;
  state.width = *settings.width;
  state.amplitude = *settings.amplitude;
  state.velocity = *settings.velocity;
  state.color2Position = *settings.color2Position;
  state.color3Position = *settings.color3Position;
  state.customColor = *settings.customColor;
  state.color1 = *settings.color1;
  state.color2 = *settings.color2;
  state.color3 = *settings.color3;
  state.color4 = *settings.color4;
}

// The preview fills the group box inside its line; the field behind it is laid out as
// PreviewFieldFor says.
void MeasurePreview(HWND dialog, ViewerState& state) {
  RECT box{};
  GetWindowRect(GetDlgItem(dialog, VIEWER_PREVIEW_FRAME_ID), &box);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  state.previewRect.left = box.left - origin.x + kInsetLeft;
  state.previewRect.top = box.top - origin.y + kInsetTop;
  state.previewRect.right = box.right - origin.x - kInsetRight;
  state.previewRect.bottom = box.bottom - origin.y - kInsetBottom;
  const PreviewField field =
      PreviewFieldFor(state.previewRect.right - state.previewRect.left,
                      state.previewRect.bottom - state.previewRect.top);
  state.fieldWidth = field.columns;
  state.fieldHeight = field.rows;
}

void PrepareBitmapInfo(ViewerState& state) {
  ZeroMemory(&state.previewInfo, sizeof state.previewInfo);
  BITMAPINFOHEADER& header = state.previewInfo.header;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = state.fieldWidth;
  header.biHeight = state.fieldHeight;  // bottom-up: field row 0 is the image's bottom row
  header.biPlanes = 1;
  header.biBitCount = 8;
  header.biCompression = BI_RGB;
  FillFlameColorTable(state.previewInfo.colors, state.customColor, state.palette);
}

void AllocateField(ViewerState& state) {
  state.previewBits = nullptr;
  if (state.fieldWidth < 1 || state.fieldHeight <= kPreviewSeedRows) return;
  const size_t size = static_cast<size_t>(state.fieldWidth) * state.fieldHeight;
  // Zero-filled pages: every opening starts from a cold field. Without them the preview stays
  // black and the viewer still closes as usual.
  state.previewBits = static_cast<uint8_t*>(previewFieldAllocator(size));
}

BOOL OpenViewer(HWND dialog, const ViewerSettings& settings) {
  ViewerState& state = viewerState;
  CopySettingsIn(state, settings);
  MeasurePreview(dialog, state);
  BuildFlamePalette(state.palette, state.color1, state.color2, state.color3, state.color4,
                    state.color2Position, state.color3Position);
  PrepareBitmapInfo(state);
  AllocateField(state);
  SetTimer(dialog, kPreviewTimer, kPreviewPeriodMs, PreviewTimerProc);
  // Close is the one control that takes the focus, and the focused push button is the one
  // that Enter presses. Not every dialog manager makes it the default on its own, so it is
  // made the default here: Enter then ends the viewer as Close does, everywhere.
  SendMessageA(dialog, DM_SETDEFID, IDCANCEL, 0);
  return TRUE;  // the dialog manager gives the focus to the Close button
}

// One preview step, then the field drawn at the preview rectangle.
void PaintPreview(HWND dialog) {
  ViewerState& state = viewerState;
  const RECT& rect = state.previewRect;
  HDC dc = GetDC(dialog);
  if (!state.previewBits || !state.flame) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(dialog, dc);
    return;
  }
  const PreviewSettings settings{state.height, state.soot, state.width, state.amplitude,
                                 state.velocity};
  StepPreviewField(*state.flame, state.fieldWidth, state.fieldHeight, state.previewBits,
                   settings);

  const auto* info = reinterpret_cast<const BITMAPINFO*>(&state.previewInfo);
  HBITMAP bitmap = CreateDIBitmap(dc, &state.previewInfo.header, CBM_INIT, state.previewBits,
                                  info, DIB_RGB_COLORS);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory, 0, 0,
         SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
  ReleaseDC(dialog, dc);
}

void CloseViewer(HWND dialog, LPARAM lParam) {
  KillTimer(dialog, kPreviewTimer);
  FreePages(viewerState.previewBits);
  viewerState.previewBits = nullptr;
  EndDialog(dialog, static_cast<INT_PTR>(static_cast<int16_t>(LOWORD(lParam))));
}

}  // namespace

INT_PTR CALLBACK ViewerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OpenViewer(dialog, *reinterpret_cast<const ViewerSettings*>(lParam));
    case WM_PAINT: {
      // Beginning and ending the paint validates the dialog, so the preview advances at the
      // timer's pace instead of at every idle moment.
      PAINTSTRUCT paint;
      BeginPaint(dialog, &paint);
      PaintPreview(dialog);
      EndPaint(dialog, &paint);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDCANCEL:  // Close, Escape, or Enter on Close
          SendMessageA(dialog, WM_CLOSE, 2, 1);
          break;
        case IDOK:  // Enter while no push button has the focus
          SendMessageA(dialog, WM_CLOSE, 1, 0);
          break;
      }
      return TRUE;
    case WM_CLOSE:  // from the commands above, or from the caption's close box with lParam 0
      CloseViewer(dialog, lParam);
      return FALSE;
  }
  return FALSE;
}

void CALLBACK PreviewTimerProc(HWND dialog, UINT, UINT_PTR, DWORD) {
  RedrawWindow(dialog, &viewerState.previewRect, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

INT_PTR RunViewerDialog(HINSTANCE instance, HWND owner, const ViewerSettings* settings,
                        FlameState& flame) {
  viewerState.flame = &flame;
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(VIEWER_DIALOG_ID), owner,
                                         ViewerDialogProc, reinterpret_cast<LPARAM>(settings));
  viewerState.flame = nullptr;
  return result;
}

void OpenViewerDialog(void* moduleInstance, void* ownerWindow, const ViewerSettings* settings,
                      FlameState& flame) {
  RunViewerDialog(static_cast<HINSTANCE>(moduleInstance), static_cast<HWND>(ownerWindow),
                  settings, flame);
}
