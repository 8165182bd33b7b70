// SPDX-License-Identifier: GPL-2.0-or-later
// Page allocation for the flame buffers: zero-filled, remembers its size, frees null.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "flame/page_memory.h"

namespace {

TEST(PageMemory, ZeroFilledAndSized) {
  for (size_t size : {size_t{1}, size_t{4095}, size_t{4096}, size_t{640 * 480 + 3}}) {
    auto* bytes = static_cast<uint8_t*>(AllocatePages(size));
    ASSERT_NE(bytes, nullptr) << size;
    EXPECT_EQ(AllocatedPagesSize(bytes), size);
    size_t nonZero = 0;
    for (size_t i = 0; i < size; ++i) nonZero += bytes[i] != 0;
    EXPECT_EQ(nonZero, 0u) << size;
    std::memset(bytes, 0xAB, size);
    FreePages(bytes);
  }
  FreePages(nullptr);
}

}  // namespace
