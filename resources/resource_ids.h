// SPDX-License-Identifier: GPL-2.0-or-later
/* Resource ids of the plug-in, shared by the resource script and the code that loads them. */
#ifndef FYREL_RESOURCE_IDS_H
#define FYREL_RESOURCE_IDS_H

/* The plug-in property list the host finds the effect by (type "PIPL"). */
#define FYREL_PIPL_ID 16000
#define FYREL_PIPL_SIZE 262

/* The Options viewer: its dialog template and the group box that frames the preview. */
#define VIEWER_DIALOG_ID 777
#define VIEWER_PREVIEW_FRAME_ID 666

#endif
