// SPDX-License-Identifier: GPL-2.0-or-later
// What the PNG checks, the decoder and the encoder throw: a message for the user, which starts
// with the name of what was read where there is one.
#pragma once

#include <stdexcept>

class PngError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
