// SPDX-License-Identifier: GPL-2.0-or-later
// For tests and benchmarks that link the footage code in: it is handed over as the program
// starts, so that reading footage loads no module.
#include "cli/media/footage_module.h"

namespace {

const bool kLinked = (LinkFootageModule(&FootageCode()), true);

}  // namespace
