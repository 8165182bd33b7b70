// SPDX-License-Identifier: GPL-2.0-or-later
// Counts the device contexts and GDI objects this program takes and gives back, by routing its
// own imports of the GDI and window functions through counters. The viewer is linked into the
// program, so its calls are counted too.
#pragma once

struct GdiCounts {
  int dcsTaken = 0;        // GetDC
  int dcsReleased = 0;     // ReleaseDC that succeeded
  int objectsMade = 0;     // CreateDIBitmap, CreateCompatibleDC, CreateDIBSection
  int objectsDeleted = 0;  // DeleteDC and DeleteObject that succeeded
};

// Installs the counters; false when this program's imports could not be rerouted.
bool CountGdiCalls();
GdiCounts CurrentGdiCounts();

// What was taken between two counts has all been given back.
inline bool GdiBalanced(const GdiCounts& before, const GdiCounts& after) {
  return after.dcsTaken - before.dcsTaken == after.dcsReleased - before.dcsReleased &&
         after.objectsMade - before.objectsMade == after.objectsDeleted - before.objectsDeleted;
}
