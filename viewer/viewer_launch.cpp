// SPDX-License-Identifier: GPL-2.0-or-later
#include "viewer/viewer_settings.h"

ViewerLauncher viewerLauncher = OpenViewerDialog;

ViewerSettings SettingsReferringTo(const ViewerValues& values) {
  return {&values.height,   &values.soot,           &values.width,          &values.amplitude,
          &values.color1,   &values.color2,         &values.color3,         &values.color4,
          &values.velocity, &values.color2Position, &values.color3Position, &values.customColor};
}
