// SPDX-License-Identifier: GPL-2.0-or-later
#include "fyrel_version.h"
#include "host/command_handlers.h"

PF_Err AboutCommand(PF_InData* in_data, PF_OutData* out_data) {
  in_data->utils->ansi.sprintf(
      out_data->return_msg, "%s, v%d.%d\r%s", "ZEL Fyrel", FYREL_VERSION_MAJOR, FYREL_VERSION_MINOR,
      "Fire that rises from the brightness of the layer. \n "
      "Heat spreads, cools and drifts in eight directions. \n "
      "Options shows a live preview of the flame. \n "
      "www.zel-plugins.example");
  return PF_Err_NONE;
}
