// SPDX-License-Identifier: GPL-2.0-or-later
// Page allocation for the flame buffers and the preview field: zero-filled memory straight
// from the platform's page allocator (VirtualAlloc/VirtualFree on Windows, mmap elsewhere).
#pragma once

#include <cstddef>

// Returns size zero-filled bytes, or null when the platform cannot give them.
void* AllocatePages(size_t size);

// Releases memory from AllocatePages; null is allowed.
void FreePages(void* pages);

// The size that AllocatePages was asked for when it returned `pages`.
size_t AllocatedPagesSize(const void* pages);
