// SPDX-License-Identifier: GPL-2.0-or-later
// Writing a file whole or not at all. On Linux the bytes go to a file with no name (O_TMPFILE)
// that is given its name once complete, so that even SIGKILL, which nothing can catch, leaves
// no partial file. Elsewhere, or where the file system has no nameless files, they go to a
// temporary name beside it, which an interrupt removes, and are renamed over the file once
// complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Throws a CliError naming `path` when it cannot be written; `path` is then untouched.
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
