// The memory-traffic floor of a render: the time memcpy takes to move the bytes one render
// must touch. A render reads the source layer and writes the output (4 bytes a pixel each),
// and every step passes over the three buffers (mask, field, drops; 1 byte a cell each). The
// floor is memcpy of the source's bytes into an output-sized block, plus, per step, memcpy of
// three buffers' worth of bytes into a block of the same size. Both copies are benchmarks of
// their own, run before the renders and in the same way, so that the renders can be put in
// proportion to them.
#pragma once

struct TrafficFloor {
  double imageSeconds = 0;    // memcpy of 4 bytes x pixels (source in, output out)
  double buffersSeconds = 0;  // memcpy of 3 bytes x pixels (the three buffers of one step)

  double ForSteps(double steps) const { return imageSeconds + steps * buffersSeconds; }
};

// Registers "floor/<size>/image" and "floor/<size>/buffers" for every benchmark size.
void RegisterFloorBenchmarks();

// The floor measured for a size (zero until its floor benchmarks have run).
const TrafficFloor& FloorOf(const char* sizeName);
