// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of whole renders and of each pass, registered for every size and both engines.
#pragma once

#include <string>

// Registers "render/<engine>/<size>/<defaults|velocity100>" for every size and both engines.
void RegisterRenderBenchmarks();
// Registers "passes/<engine>/<size>": one render's passes, each timed, as counters.
void RegisterPassBenchmarks();

// Registers "over/<size>/<colour|rgba|rgb>": the renderer's colouring of the heat, alone and
// laid over its source.
void RegisterOverBenchmarks();

// Registers "instances/<size>/threads:1" and "threads:2": frei0r instances, one per thread.
void RegisterInstanceBenchmarks();

// The key under which a render benchmark records its per-frame figure.
std::string RenderKey(const char* engine, const char* size, const char* scene);
