// SPDX-License-Identifier: GPL-2.0-or-later
// What the Options viewer is handed when it opens: twelve references to copies of parameter
// values that the launcher keeps for as long as the viewer is open.
#pragma once

#include <cstdint>

#include "flame/flame_palette.h"
#include "flame/flame_state.h"
#include "flame/render_flame.h"

// The twelve values themselves: the sliders' low 8 bits, the colours' red, green and blue.
struct ViewerValues {
  uint8_t height = 0, soot = 0, width = 0, amplitude = 0;
  FlameColor color1 = 0, color2 = 0, color3 = 0, color4 = 0;
  uint8_t velocity = 0, color2Position = 0, color3Position = 0, customColor = 0;
};

// The twelve of a render's values, which are already reduced as the viewer takes them.
inline ViewerValues ViewerValuesOf(const FlameRenderValues& render) {
  ViewerValues values;
  values.height = static_cast<uint8_t>(render.height);
  values.soot = static_cast<uint8_t>(render.soot);
  values.width = static_cast<uint8_t>(render.width);
  values.amplitude = static_cast<uint8_t>(render.amplitude);
  values.color1 = render.color1;
  values.color2 = render.color2;
  values.color3 = render.color3;
  values.color4 = render.color4;
  values.velocity = static_cast<uint8_t>(render.velocity);
  values.color2Position = static_cast<uint8_t>(render.color2Position);
  values.color3Position = static_cast<uint8_t>(render.color3Position);
  values.customColor = static_cast<uint8_t>(render.customColor);
  return values;
}

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

// Settings that refer to `values`, which must outlive them.
ViewerSettings SettingsReferringTo(const ViewerValues& values);

// Opens the viewer modally and returns once it has closed; its preview steps with `flame`'s
// generator and preview phase. On platforms without the dialog it returns at once.
using ViewerLauncher = void (*)(void* moduleInstance, void* ownerWindow,
                                const ViewerSettings* settings, FlameState& flame);

// The platform's viewer dialog.
void OpenViewerDialog(void* moduleInstance, void* ownerWindow, const ViewerSettings* settings,
                      FlameState& flame);

// What global setup calls to open the viewer; OpenViewerDialog unless replaced (tests record
// the launches through it).
extern ViewerLauncher viewerLauncher;
