// What the Options viewer is handed when it opens: twelve references to copies of parameter
// values that the launcher keeps for as long as the viewer is open.
#pragma once

#include <cstdint>

#include "flame/flame_palette.h"

struct ViewerSettings {
  const uint8_t* height;
  const uint8_t* soot;
  const uint8_t* width;
  const uint8_t* amplitude;
  const FlameColor* color1;
  const FlameColor* color2;
  const FlameColor* color3;
  const FlameColor* color4;
  const uint8_t* velocity;
  const uint8_t* color2Position;
  const uint8_t* color3Position;
  const uint8_t* customColor;
};

// Opens the viewer modally and returns once it has closed. On platforms without the dialog
// it returns at once.
using ViewerLauncher = void (*)(void* moduleInstance, void* ownerWindow,
                                const ViewerSettings* settings);

// The platform's viewer dialog.
void OpenViewerDialog(void* moduleInstance, void* ownerWindow, const ViewerSettings* settings);

// What global setup calls to open the viewer; OpenViewerDialog unless replaced (tests record
// the launches through it).
extern ViewerLauncher viewerLauncher;
