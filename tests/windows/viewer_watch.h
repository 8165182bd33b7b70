// SPDX-License-Identifier: GPL-2.0-or-later
// Watches the Options viewer from inside its own modal loop: a creation hook catches the
// dialog, a subclass sees every paint it answers, and after each paint the preview is read back
// from the screen and compared with the field shown through the preview's colour table.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How a watched viewer is closed once it has painted often enough.
enum class CloseBy {
  kCloseButton,  // a click on "Close"
  kEscape,       // the Escape key
  kEnter,        // the Enter key while Close has the focus
  kCloseBox,     // a click on the close box in the caption
  kIdOk,         // the dialog manager's IDOK (Enter while no push button has the focus)
};

struct PaintRecord {
  DWORD time;           // milliseconds, GetTickCount
  int litPixels;        // pixels of the preview that are not black
  int wrongPixels;      // pixels that differ from the colour table entry of their cell
  bool seedRowsOnly;    // rows 3 and up of the field are all zero
  bool seedRowsBanded;  // rows 0-2 hold only 0 and 255, the same in all three
  bool gdiBalanced;     // the paint gave back every device context and object it took
};

struct ViewerWatch {
  CloseBy closeBy = CloseBy::kCloseButton;
  int closeAfterPaints = 25;
  // Asked at every paint from closeAfterPaints on; the close waits while it answers true.
  std::function<bool(HWND dialog)> holdOpen;
  // Called once after the paint that triggers the close, with the dialog still open.
  std::function<void(HWND dialog)> beforeClose;

  // What was seen.
  HWND dialog = nullptr;
  int dialogsCreated = 0;
  std::vector<PaintRecord> paints;
  void* fieldSeen = nullptr;       // previewBits while open
  bool focusOnClose = false;       // Close had the focus at the first paint
  bool timerAlreadyKilled = false;  // the viewer's own WM_CLOSE had killed timer 1
  bool closeSent = false;
  int closedAtPaint = 0;
  bool closeBoxClicked = false;  // the close box was found in the caption and clicked
  bool forcedClose = false;      // the way under test had not closed it within 2 seconds
};

// Installs the hooks for the next viewer the calling thread opens; Finish removes them.
void WatchNextViewer(ViewerWatch* watch);
void FinishWatching();

// The screen's pixels within `rect` of `window`'s client area, as 0x00RRGGBB, rows top down.
std::vector<uint32_t> ReadClientPixels(HWND window, const RECT& rect);
