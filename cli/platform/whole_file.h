// Writing a file whole or not at all: the bytes go to a temporary name beside it, which an
// interrupt removes, and are renamed over the file once complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Throws a CliError naming `path` when it cannot be written; `path` is then untouched.
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
