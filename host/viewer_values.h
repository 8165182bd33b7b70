// SPDX-License-Identifier: GPL-2.0-or-later
// The twelve values the Options viewer is shown, read from the host's parameter array by
// position, as the viewer's launcher copies them (and as `fyrel preview` takes them).
#pragma once

#include "host/host_interface.h"
#include "viewer/viewer_settings.h"

ViewerValues ViewerValuesFromParams(PF_ParamDef* const params[]);
