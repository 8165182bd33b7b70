// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/flags/flag_values.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace {

bool AllDigits(const std::string& text, size_t begin, size_t end) {
  if (begin >= end) return false;
  for (size_t i = begin; i < end; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseIntegerText(const std::string& text, int64_t* value) {
  size_t begin = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  if (!AllDigits(text, begin, text.size())) return false;
  // Leading zeros are harmless; more than 10 significant digits cannot fit 32 bits.
  size_t first = begin;
  while (first + 1 < text.size() && text[first] == '0') ++first;
  if (text.size() - first > 10) return false;
  int64_t magnitude = std::strtoll(text.c_str() + first, nullptr, 10);
  int64_t result = text[0] == '-' ? -magnitude : magnitude;
  if (result < INT32_MIN || result > INT32_MAX) return false;
  *value = result;
  return true;
}

bool ParseColorText(const std::string& text, uint8_t* red, uint8_t* green, uint8_t* blue) {
  size_t begin = (!text.empty() && text[0] == '#') ? 1 : 0;
  if (text.size() - begin != 6) return false;
  int digits[6];
  for (int i = 0; i < 6; ++i) {
    digits[i] = HexDigit(text[begin + i]);
    if (digits[i] < 0) return false;
  }
  *red = static_cast<uint8_t>(digits[0] * 16 + digits[1]);
  *green = static_cast<uint8_t>(digits[2] * 16 + digits[3]);
  *blue = static_cast<uint8_t>(digits[4] * 16 + digits[5]);
  return true;
}

bool ParseSwitchText(const std::string& text, bool* value) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "on" || lower == "1" || lower == "true") {
    *value = true;
    return true;
  }
  if (lower == "off" || lower == "0" || lower == "false") {
    *value = false;
    return true;
  }
  return false;
}

bool ParseDecimalText(const std::string& text, double* value) {
  size_t begin = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  size_t point = text.find('.', begin);
  bool ok;
  if (point == std::string::npos) {
    ok = AllDigits(text, begin, text.size());
  } else {
    // "5.", ".5" and "5.5" are numbers; "." alone is not.
    bool whole = point == begin || AllDigits(text, begin, point);
    bool fraction = point + 1 == text.size() || AllDigits(text, point + 1, text.size());
    ok = whole && fraction && text.size() - begin > 1;
  }
  if (!ok || text.size() - begin > 40) return false;
  *value = std::strtod(text.c_str(), nullptr);
  return std::isfinite(*value);
}

bool ParseSizeText(const std::string& text, int64_t* width, int64_t* height) {
  size_t cross = text.find_first_of("xX");
  if (cross == std::string::npos) return false;
  std::string w = text.substr(0, cross), h = text.substr(cross + 1);
  if (!AllDigits(w, 0, w.size()) || !AllDigits(h, 0, h.size())) return false;
  if (!ParseIntegerText(w, width) || !ParseIntegerText(h, height)) return false;
  return *width > 0 && *height > 0;
}

bool ParseRateText(const std::string& text, int64_t* num, int64_t* den) {
  int64_t n = 0, d = 1;
  const size_t slash = text.find('/');
  const size_t point = text.find('.');
  if (slash != std::string::npos) {
    const std::string top = text.substr(0, slash), bottom = text.substr(slash + 1);
    if (!AllDigits(top, 0, top.size()) || !AllDigits(bottom, 0, bottom.size()) ||
        !ParseIntegerText(top, &n) || !ParseIntegerText(bottom, &d)) {
      return false;
    }
  } else if (point != std::string::npos) {
    const std::string whole = text.substr(0, point), fraction = text.substr(point + 1);
    const bool digits = (whole.empty() || AllDigits(whole, 0, whole.size())) &&
                        (fraction.empty() || AllDigits(fraction, 0, fraction.size()));
    if (!digits || (whole.empty() && fraction.empty()) || whole.size() > 6 ||
        fraction.size() > 6) {
      return false;
    }
    for (char c : whole + fraction) n = n * 10 + (c - '0');
    for (size_t i = 0; i < fraction.size(); ++i) d *= 10;
  } else if (!AllDigits(text, 0, text.size()) || !ParseIntegerText(text, &n)) {
    return false;
  }
  if (n <= 0 || d <= 0) return false;
  const int64_t common = std::gcd(n, d);
  *num = n / common;
  *den = d / common;
  return true;
}
