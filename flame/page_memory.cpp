// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/page_memory.h"

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace {

// Each block starts with a small header that remembers the size asked for; the caller's
// bytes follow it, 64-byte aligned.
constexpr size_t kHeaderSize = 64;

void* MapPages(size_t size) {
#if defined(_WIN32)
  return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
#else
  void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return pages == MAP_FAILED ? nullptr : pages;
#endif
}

void UnmapPages(void* pages, size_t size) {
#if defined(_WIN32)
  (void)size;
  VirtualFree(pages, 0, MEM_RELEASE);
#else
  munmap(pages, size);
#endif
}

}  // namespace

void* AllocatePages(size_t size) {
  if (size > SIZE_MAX - kHeaderSize) return nullptr;
  auto* block = static_cast<unsigned char*>(MapPages(size + kHeaderSize));
  if (!block) return nullptr;
  *reinterpret_cast<size_t*>(block) = size;
  return block + kHeaderSize;
}

void FreePages(void* pages) {
  if (!pages) return;
  unsigned char* block = static_cast<unsigned char*>(pages) - kHeaderSize;
  UnmapPages(block, *reinterpret_cast<size_t*>(block) + kHeaderSize);
}

size_t AllocatedPagesSize(const void* pages) {
  if (!pages) return 0;
  return *reinterpret_cast<const size_t*>(static_cast<const unsigned char*>(pages) - kHeaderSize);
}
