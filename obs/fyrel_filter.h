// SPDX-License-Identifier: GPL-2.0-or-later
// The video filter "Fyrel": a fire of its own on every filter instance, fed from the filter's
// target every shown frame and drawn over it (or alone).
#pragma once

// The filter's id, as scenes save it.
constexpr const char* kFyrelFilterId = "fyrel_filter";

// Registers the filter with libobs; called once from the module's load.
void RegisterFyrelFilter();
