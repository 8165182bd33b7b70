// SPDX-License-Identifier: GPL-2.0-or-later
// Builds without the platform's dialog manager have no viewer window: the Options request is
// accepted and nothing opens.
#include "viewer/viewer_settings.h"

void OpenViewerDialog(void*, void*, const ViewerSettings*, FlameState&) {}
