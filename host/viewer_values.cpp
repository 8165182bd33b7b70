// SPDX-License-Identifier: GPL-2.0-or-later
#include "host/viewer_values.h"

#include "host/param_values.h"

ViewerValues ViewerValuesFromParams(PF_ParamDef* const params[]) {
  return ViewerValuesOf(RenderValuesFromParams(params));
}
