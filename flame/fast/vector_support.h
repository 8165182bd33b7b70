// SPDX-License-Identifier: GPL-2.0-or-later
// Which vector instructions the fast engine may use: SSE2 wherever the compiler targets it
// (every i686 and x86-64 build here), and AVX2 in functions marked FLAME_AVX2, chosen at run
// time by the caller.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#define FLAME_HAVE_SSE2 1
#endif
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__)) && defined(__SSE2__)
#include <immintrin.h>
#define FLAME_HAVE_AVX2 1
#define FLAME_AVX2 __attribute__((target("avx2")))
#endif
