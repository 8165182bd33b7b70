// SPDX-License-Identifier: GPL-2.0-or-later
// The memory-traffic floor of a render: the time memcpy takes to read and write the bytes
// that one render must touch. A render reads the source layer and writes the output (4 bytes
// a pixel each), and every step passes over the three buffers (mask, field, drops; 1 byte a
// cell each). The floor is memcpy of the source's bytes into an output-sized block, plus, per
// step, memcpy of the three buffers' bytes into a block of the same size.
//
// Two measurements of it:
// - the floor proper: one benchmark iteration is the copies of one render with two steps, so
//   that the copies meet the cache as a render's passes do (at the larger sizes a frame's
//   bytes do not all stay in the cache from one render to the next);
// - the cache-hot floor: each kind of copy repeated on its own, so that its blocks stay in
//   the cache wherever they fit. It is the stricter bound at the smaller sizes.
// The two kinds of copy are timed apart, so that a floor follows the steps a render actually
// ran. The floor benchmarks run before the renders, which are put in proportion to them.
#pragma once

struct TrafficFloor {
  double imageSeconds = 0;    // memcpy of 4 bytes x pixels (source in, output out)
  double buffersSeconds = 0;  // memcpy of 3 bytes x pixels (the three buffers of one step)

  double ForSteps(double steps) const { return imageSeconds + steps * buffersSeconds; }
};

// Registers "floor/<size>" and "hot_floor/<size>/image", "hot_floor/<size>/buffers" for
// every benchmark size.
void RegisterFloorBenchmarks();

// The floors measured for a size (zero until their benchmarks have run).
const TrafficFloor& FloorOf(const char* sizeName);
const TrafficFloor& HotFloorOf(const char* sizeName);
