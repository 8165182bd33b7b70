// SPDX-License-Identifier: GPL-2.0-or-later
// The Options viewer on Windows: its working state, its dialog and timer procedures, and the
// modal run that the launch uses.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "flame/flame_palette.h"
#include "flame/flame_state.h"
#include "viewer/viewer_settings.h"

// The preview bitmap's header and colour table, laid out as a BITMAPINFO with 256 colours.
struct PreviewBitmapInfo {
  BITMAPINFOHEADER header;
  FlameColorTable colors;
};
static_assert(sizeof(PreviewBitmapInfo) == 1064, "a 40-byte header and 256 colour entries");

struct ViewerState {
  float height;
  float soot;
  float width;
  float amplitude;
  int32_t velocity;
  int32_t color2Position;
  int32_t color3Position;
  int32_t customColor;
  FlameColor color1;
  FlameColor color2;
  FlameColor color3;
  FlameColor color4;
  RECT previewRect;     // in the dialog's client coordinates
  int32_t fieldWidth;   // columns of the field (PreviewFieldFor)
  int32_t fieldHeight;  // rows of the field: the preview's height and the 4 seed rows below it
  uint8_t* previewBits;  // the field and the bitmap's pixels at once; null while closed
  PreviewBitmapInfo previewInfo;
  FlamePalette palette;
  FlameState* flame;  // the fire whose generator and preview phase the preview steps with
};

// One viewer at a time, so one state, kept between openings.
extern ViewerState viewerState;

// Where the preview field comes from: AllocatePages, unless a test puts a failing allocator
// in its place.
using PreviewFieldAllocator = void* (*)(size_t size);
extern PreviewFieldAllocator previewFieldAllocator;

INT_PTR CALLBACK ViewerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK PreviewTimerProc(HWND dialog, UINT message, UINT_PTR timerId, DWORD time);

// Runs the viewer modally from template 777 of `instance`, its preview stepping with `flame`,
// and returns the dialog's result (1 after Close, Escape or Enter on Close; 0 after IDOK or the
// caption's close box; -1 when the dialog cannot be created). OpenViewerDialog is this without
// the result.
INT_PTR RunViewerDialog(HINSTANCE instance, HWND owner, const ViewerSettings* settings,
                        FlameState& flame);
