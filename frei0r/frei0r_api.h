// SPDX-License-Identifier: GPL-2.0-or-later
// The frei0r API as C++ sees it: frei0r.h declares its entry points without C linkage.
#pragma once

extern "C" {
#include <frei0r.h>
}
