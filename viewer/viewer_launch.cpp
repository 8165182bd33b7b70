#include "viewer/viewer_settings.h"

ViewerLauncher viewerLauncher = OpenViewerDialog;
