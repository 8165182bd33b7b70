// SPDX-License-Identifier: GPL-2.0-or-later
// A file's whole text, for the tests that hold the README against the tables ("" when it
// cannot be read).
#pragma once

#include <fstream>
#include <sstream>
#include <string>

inline std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
