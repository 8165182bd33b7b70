#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Makes the wine prefix the Windows tests share ($WINEPREFIX), once, before any test runs, with
# wine's loader for the tests' machine type ($FYREL_WINE).
set -eu
"$FYREL_WINE" wineboot -i >/dev/null 2>&1 || true
# Wine's own fonts (Debian's fonts-wine): "MS Sans Serif" for the viewer's dialog font and
# Marlett for the caption's close box. This wine looks for them elsewhere, so they are copied
# into the prefix.
if [ -d /usr/share/wine/fonts ]; then
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
# Wine draws the windows' captions itself: an X display without a window manager has no one
# else to draw them, and the viewer's close box is clicked in the tests.
"$FYREL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
