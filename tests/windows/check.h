// SPDX-License-Identifier: GPL-2.0-or-later
// A small self-checking harness for the Windows test programs: each CHECK counts a pass or
// prints the failing expression, and the program's exit code says whether all passed.
#pragma once

#include <cstdio>
#include <string>

namespace check {
inline int passed = 0;
inline int failed = 0;

inline bool Record(bool ok, const char* file, int line, const std::string& what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("%s:%d: FAILED: %s\n", file, line, what.c_str());
    std::fflush(stdout);
  }
  return ok;
}

// Prints "N passed, M failed" and gives the exit code: 0 only when nothing failed and
// something was checked.
inline int Summary(const char* program) {
  std::printf("%s: %d passed, %d failed\n", program, passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}
}  // namespace check

#define CHECK(condition) check::Record(static_cast<bool>(condition), __FILE__, __LINE__, #condition)

#define CHECK_EQ(actual, expected)                                                         \
  [&] {                                                                                    \
    const auto actualValue = (actual);                                                     \
    const auto expectedValue = (expected);                                                 \
    const bool equal = actualValue == expectedValue;                                       \
    return check::Record(equal, __FILE__, __LINE__,                                        \
                         equal ? std::string()                                             \
                               : std::string(#actual " == " #expected ": got ") +          \
                                     std::to_string(static_cast<long long>(actualValue)) + \
                                     ", expected " +                                       \
                                     std::to_string(static_cast<long long>(expectedValue))); \
  }()

#define CHECK_STREQ(actual, expected)                                                   \
  [&] {                                                                                 \
    const std::string actualText = (actual);                                            \
    const std::string expectedText = (expected);                                        \
    const bool equal = actualText == expectedText;                                      \
    return check::Record(equal, __FILE__, __LINE__,                                     \
                         equal ? std::string()                                          \
                               : std::string(#actual ": got \"") + actualText +         \
                                     "\", expected \"" + expectedText + "\"");          \
  }()
