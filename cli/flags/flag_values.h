// SPDX-License-Identifier: GPL-2.0-or-later
// Parsing of single flag values: strict, whole-text, no silent truncation. Each returns false
// when the text is not of the form; range checks are the caller's (it names the flag).
#pragma once

#include <cstdint>
#include <string>

// Decimal integer with an optional sign; fails on anything else or beyond 32 bits.
bool ParseIntegerText(const std::string& text, int64_t* value);

// RRGGBB in hex, a leading '#' allowed.
bool ParseColorText(const std::string& text, uint8_t* red, uint8_t* green, uint8_t* blue);

// on|off, 1|0, true|false (any letter case).
bool ParseSwitchText(const std::string& text, bool* value);

// Plain decimal number: optional sign, digits, optional point and digits (no exponent, no
// inf/nan). At most 15 significant digits are meaningful.
bool ParseDecimalText(const std::string& text, double* value);

// WxH with two positive decimal integers.
bool ParseSizeText(const std::string& text, int64_t* width, int64_t* height);

// A frame rate: a whole number (25), a plain decimal (29.97, kept exact as 2997/100) or a
// fraction of two whole numbers (30000/1001), in lowest terms; fails on zero, a sign or what
// does not fit 32 bits.
bool ParseRateText(const std::string& text, int64_t* num, int64_t* den);
