// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The sine the flame engine uses for its disc offsets.
//
// A last-bit difference in a sine can flip a truncation and move a disc, so the engine cannot
// take the platform's sin: C libraries differ in their last bits. FlameSine is built from
// IEEE-754 double additions, subtractions, multiplications and integer arithmetic only, so it
// gives the same bits on every build whose doubles are SSE2 doubles (or any strict IEEE
// double arithmetic in round-to-nearest), and it is correctly rounded: it agrees with a
// correctly rounded sin except, at worst, where the true value lies within about 2^-100 of
// the midpoint between two doubles.
//
// Domain: every finite double. Below 2^20 in magnitude the argument is reduced with a
// five-part split of pi/2 (the engine's phases, 0 to 11000, are all here); above it with an
// exact multi-word product by 2/pi. Infinities and NaN give NaN.
double FlameSine(double x);
