// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's description: what a host caches when it scans plug-ins (often in a process of
// its own), so it depends on nothing but the host.
#pragma once

#include "ofx/ofx_api.h"

// OfxActionDescribe: the plug-in's properties on the descriptor.
OfxStatus DescribeEffect(OfxImageEffectHandle descriptor);
// OfxImageEffectActionDescribeInContext: the clips and parameters of the filter context; any
// other context is refused.
OfxStatus DescribeEffectInContext(OfxImageEffectHandle descriptor, OfxPropertySetHandle inArgs);
