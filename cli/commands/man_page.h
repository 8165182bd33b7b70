// SPDX-License-Identifier: GPL-2.0-or-later
// The manual page fyrel(1) in roff, written from the flag table and the help's own parts, so
// that the page and --help say the same. fyrel_man_page writes it at build time.
#pragma once

#include <string>

std::string ManPage();
