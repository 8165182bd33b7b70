// SPDX-License-Identifier: GPL-2.0-or-later
// Paths handed to the Windows test programs come from CMake as Unix paths; under wine the
// Unix root is drive Z:.
#pragma once

#include <string>

inline std::string WindowsPath(const std::string& path) {
  std::string result = !path.empty() && path[0] == '/' ? "Z:" + path : path;
  for (char& c : result) {
    if (c == '/') c = '\\';
  }
  return result;
}
