// SPDX-License-Identifier: GPL-2.0-or-later
// What the plug-in keeps of its host: the host record given by setHost and the suites fetched
// at load. Written only by setHost, load and unload, which a host calls before any instance
// exists and after the last is gone; read everywhere else.
#pragma once

#include "ofx/ofx_api.h"

struct OfxHostSuites {
  const OfxHost* host = nullptr;
  const OfxPropertySuiteV1* props = nullptr;
  const OfxImageEffectSuiteV1* effects = nullptr;
  const OfxParameterSuiteV1* params = nullptr;
  const OfxMessageSuiteV1* messages = nullptr;  // optional: null when the host has none
};

const OfxHostSuites& HostSuites();

void SetOfxHost(const OfxHost* host);
// Fetches the suites: kStatOK, or kStatErrMissingHostFeature when a suite the plug-in cannot do
// without is missing (the optional message suite may be).
OfxStatus LoadHostSuites();
void UnloadHostSuites();

// Reports an error to the user where the host has a message suite; otherwise does nothing.
void PostErrorMessage(OfxImageEffectHandle effect, const char* text);
